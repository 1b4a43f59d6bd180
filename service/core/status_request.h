#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Korva::QELD {

// The one request of a status connection: the line "status\n" for the text,
// or "status json\n" for the JSON object. Bytes arrive
// in pieces; anything else, or more than fits a short line, is refused, so a
// client can make the server neither buffer without bound nor guess.
class StatusRequest {
public:
    static constexpr std::size_t longest = 64;

    enum class Result { Incomplete, Status, Json, Refused };

    static constexpr const char* textRequest = "status\n";
    static constexpr const char* jsonRequest = "status json\n";

    Result add(std::string_view bytes);

private:
    std::string received_;
};

} // namespace Korva::QELD
