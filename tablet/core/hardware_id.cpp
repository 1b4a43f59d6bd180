#include "tablet/core/hardware_id.h"

namespace Korva::QEL {
namespace {

// Hardware ids are ASCII; folding only ASCII letters matches the invariant
// locale's case-insensitive comparison for every character that can match.
wchar_t foldCase(wchar_t c) {
    return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c;
}

bool matchesAt(std::wstring_view text, std::size_t offset, std::wstring_view expected) {
    if (text.size() < offset + expected.size())
        return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (foldCase(text[offset + i]) != foldCase(expected[i]))
            return false;
    return true;
}

std::optional<std::uint16_t> hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return static_cast<std::uint16_t>(c - L'0');
    if (c >= L'A' && c <= L'F')
        return static_cast<std::uint16_t>(c - L'A' + 10);
    if (c >= L'a' && c <= L'f')
        return static_cast<std::uint16_t>(c - L'a' + 10);
    return std::nullopt;
}

// Four hexadecimal digits at offset, most significant first.
std::optional<std::uint16_t> hexWordAt(std::wstring_view text, std::size_t offset) {
    if (text.size() < offset + 4)
        return std::nullopt;
    std::uint16_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto digit = hexDigit(text[offset + i]);
        if (!digit)
            return std::nullopt;
        value = static_cast<std::uint16_t>(value << 4 | *digit);
    }
    return value;
}

} // namespace

std::optional<HardwareId> parseHardwareId(std::wstring_view text) {
    if (text.size() <= 28 || !matchesAt(text, 0, L"HID\\VID_") || !matchesAt(text, 12, L"&PID_") ||
        !matchesAt(text, 21, L"&REV_"))
        return std::nullopt;
    const auto vendor = hexWordAt(text, 8);
    const auto product = hexWordAt(text, 17);
    const auto revision = hexWordAt(text, 26);
    if (!vendor || !product || !revision)
        return std::nullopt;
    return HardwareId{*vendor, *product, *revision, matchesAt(text, 30, L"&MI_")};
}

} // namespace Korva::QEL
