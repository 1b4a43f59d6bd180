#include "slideshow/picture/core/picture_errors.h"

#include "common/core/utf.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Korva::QELD {
namespace {

struct Words {
    std::uint32_t value;
    const char* problem;
};

constexpr const char* notReadable = "not a picture Windows can read";
constexpr const char* damaged = "the file is damaged or cut off";

// HRESULT values: the imaging component's, and Windows errors as HRESULTs.
constexpr Words hresultWords[] = {
    {0x88982F50, notReadable}, // WINCODEC_ERR_COMPONENTNOTFOUND
    {0x88982F07, notReadable}, // WINCODEC_ERR_UNKNOWNIMAGEFORMAT
    {0x88982F0B, notReadable}, // WINCODEC_ERR_UNSUPPORTEDVERSION
    {0x88982F80, notReadable}, // WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT
    {0x88982F81, notReadable}, // WINCODEC_ERR_UNSUPPORTEDOPERATION
    {0x88982F60, damaged},     // WINCODEC_ERR_BADIMAGE
    {0x88982F61, damaged},     // WINCODEC_ERR_BADHEADER
    {0x88982F62, damaged},     // WINCODEC_ERR_FRAMEMISSING
    {0x88982F63, damaged},     // WINCODEC_ERR_BADMETADATAHEADER
    {0x88982F70, damaged},     // WINCODEC_ERR_BADSTREAMDATA
    {0x88982F72, damaged},     // WINCODEC_ERR_STREAMREAD
    {0x88982F8F, damaged},     // WINCODEC_ERR_UNEXPECTEDSIZE
    {0x80070026, damaged},     // end of file reached early
    {0x80004005, "the imaging component could not read it; the file may be damaged or cut off"},
    {0x88982F51, "too large"}, // WINCODEC_ERR_IMAGESIZEOUTOFRANGE
    {0x8007000E, "too large to decode in the memory available"},
    {0x80070005, "access denied: the service's account may not read the file"},
    {0x80070020, "the file is in use by another program"},
    {0x80070002, "the file is gone"},
    {0x80070003, "the file is gone"},
};

// The same Windows errors as they come from file calls.
constexpr Words win32Words[] = {
    {5, "access denied: the service's account may not read the file"},
    {32, "the file is in use by another program"},
    {2, "the file is gone"},
    {3, "the file is gone"},
};

template <std::size_t N> const char* lookUp(const Words (&table)[N], std::uint32_t value) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [&](const Words& w) { return w.value == value; });
    return found == std::end(table) ? nullptr : found->problem;
}

std::string sizeProblem(std::uint32_t width, std::uint32_t height, std::uint64_t limit) {
    if (width == 0 || height == 0)
        return "the picture has no pixels (" + std::to_string(width) + " x " +
               std::to_string(height) + ")";
    return "too large: " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, more than the limit of " + std::to_string(limit) + " pixels";
}

} // namespace

picture_size_error::picture_size_error(std::error_code code, std::uint32_t width,
                                       std::uint32_t height, std::uint64_t limit)
    : std::system_error(code, sizeProblem(width, height, limit)), width(width), height(height),
      limit(limit) {}

PictureFailure describePictureFailure(const std::u16string& path, const std::system_error& e) {
    PictureFailure failure;
    failure.path = utf8FromUtf16(path);
    std::replace(failure.path.begin(), failure.path.end(), '/', '\\');
    const int value = e.code().value();
    const bool hresult = std::strcmp(e.code().category().name(), "HRESULT") == 0;
    char number[16];
    std::snprintf(number, sizeof number, hresult || value < 0 ? "0x%08X" : "%d",
                  static_cast<unsigned>(value));
    failure.number = number;
    const auto* size = dynamic_cast<const picture_size_error*>(&e);
    const char* words = hresult ? lookUp(hresultWords, static_cast<std::uint32_t>(value))
                                : lookUp(win32Words, static_cast<std::uint32_t>(value));
    failure.problem = size != nullptr    ? sizeProblem(size->width, size->height, size->limit)
                      : words != nullptr ? words
                                         : e.code().message();
    return failure;
}

std::string pictureFailureText(const PictureFailure& failure) {
    return "The picture " + failure.path + " cannot be shown: " + failure.problem + " (error " +
           failure.number + ")";
}

} // namespace Korva::QELD
