#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace Korva::QELD {

// A picture refused before its pixels are decoded: more pixels than the
// limit, so that a small file claiming a huge size cannot exhaust memory, or
// none at all. The code is the imaging component's "size out of range".
class picture_size_error : public std::system_error {
public:
    picture_size_error(std::error_code code, std::uint32_t width, std::uint32_t height,
                       std::uint64_t limit);

    std::uint32_t width;
    std::uint32_t height;
    std::uint64_t limit;
};

// Why a picture cannot be shown, as the event log and the status say it:
// "The picture <path> cannot be shown: <problem> (error <number>)".
struct PictureFailure {
    std::string path;    // UTF-8, every separator a backslash
    std::string problem; // plain words where the system has none
    std::string number;  // HRESULTs in hexadecimal, Windows errors in decimal
};

// The imaging component's errors have no text on many systems, and the
// texts there are say nothing an administrator can act on; the common ones
// get words of their own. Any other error keeps the system's text.
PictureFailure describePictureFailure(const std::u16string& path, const std::system_error& e);

std::string pictureFailureText(const PictureFailure& failure);

} // namespace Korva::QELD
