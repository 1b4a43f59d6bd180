#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Korva::QELD {

// The one request of a status connection: the line "status\n". Bytes arrive
// in pieces; anything else, or more than fits a short line, is refused, so a
// client can make the server neither buffer without bound nor guess.
class StatusRequest {
public:
    static constexpr std::size_t longest = 64;

    enum class Result { Incomplete, Status, Refused };

    Result add(std::string_view bytes);

private:
    std::string received_;
};

} // namespace Korva::QELD
