#include "service/core/json_writer.h"

#include "common/core/utf.h"

#include <cstdio>

namespace Korva::QELD {

JsonWriter& JsonWriter::beginObject(std::string_view name) {
    return open(name, '{');
}

JsonWriter& JsonWriter::endObject() {
    return close('}');
}

JsonWriter& JsonWriter::beginArray(std::string_view name) {
    return open(name, '[');
}

JsonWriter& JsonWriter::endArray() {
    return close(']');
}

JsonWriter& JsonWriter::field(std::string_view name, std::string_view text) {
    member(name);
    // The round trip through UTF-16 replaces malformed UTF-8.
    quoted(utf8FromUtf16(utf16FromUtf8(text)));
    return *this;
}

JsonWriter& JsonWriter::field(std::string_view name, std::u16string_view text) {
    member(name);
    quoted(utf8FromUtf16(text));
    return *this;
}

JsonWriter& JsonWriter::field(std::string_view name, bool value) {
    return raw(name, value ? "true" : "false");
}

JsonWriter& JsonWriter::null(std::string_view name) {
    return raw(name, "null");
}

JsonWriter& JsonWriter::raw(std::string_view name, std::string_view json) {
    member(name);
    out_ += json;
    return *this;
}

JsonWriter& JsonWriter::open(std::string_view name, char bracket) {
    member(name);
    out_ += bracket;
    filled_.push_back(false);
    return *this;
}

// An empty object or array closes on its own line.
JsonWriter& JsonWriter::close(char bracket) {
    const bool filled = filled_.back();
    filled_.pop_back();
    if (filled) {
        out_ += '\n';
        out_.append(2 * filled_.size(), ' ');
    }
    out_ += bracket;
    return *this;
}

void JsonWriter::member(std::string_view name) {
    if (filled_.empty())
        return;
    if (filled_.back())
        out_ += ',';
    filled_.back() = true;
    out_ += '\n';
    out_.append(2 * filled_.size(), ' ');
    if (!name.empty()) {
        quoted(name);
        out_ += ": ";
    }
}

void JsonWriter::quoted(std::string_view text) {
    out_ += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out_ += "\\\"";
            break;
        case '\\':
            out_ += "\\\\";
            break;
        case '\n':
            out_ += "\\n";
            break;
        case '\r':
            out_ += "\\r";
            break;
        case '\t':
            out_ += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out_ += escaped;
            } else {
                out_ += c;
            }
        }
    }
    out_ += '"';
}

} // namespace Korva::QELD
