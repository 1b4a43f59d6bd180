#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Korva::QELD {

// Writes one JSON document, indented by two spaces per level so that a person
// can read it too. Each member is one call, which keeps a document's layout
// one line per field in the code that writes it. Text is UTF-8; malformed
// sequences become U+FFFD, so that no parser refuses the document.
class JsonWriter {
public:
    // Members of an object take a name; elements of an array and the
    // document itself take none.
    JsonWriter& beginObject(std::string_view name = {});
    JsonWriter& endObject();
    JsonWriter& beginArray(std::string_view name = {});
    JsonWriter& endArray();

    JsonWriter& field(std::string_view name, std::string_view text);
    JsonWriter& field(std::string_view name, const char* text) {
        return field(name, std::string_view(text));
    }
    JsonWriter& field(std::string_view name, std::u16string_view text);
    JsonWriter& field(std::string_view name, bool value);
    template <std::integral Number>
    requires(!std::same_as<Number, bool>) JsonWriter& field(std::string_view name, Number number) {
        return raw(name, std::to_string(number));
    }
    // A missing value is written as null.
    template <class Value>
    JsonWriter& field(std::string_view name, const std::optional<Value>& value) {
        return value ? field(name, *value) : null(name);
    }
    JsonWriter& null(std::string_view name);

    // The document, with a final line break.
    std::string text() const { return out_ + "\n"; }

private:
    JsonWriter& raw(std::string_view name, std::string_view json);
    JsonWriter& open(std::string_view name, char bracket);
    JsonWriter& close(char bracket);
    void member(std::string_view name);
    void quoted(std::string_view text);

    std::string out_;
    // Per open level: whether it has a member yet.
    std::vector<bool> filled_;
};

} // namespace Korva::QELD
