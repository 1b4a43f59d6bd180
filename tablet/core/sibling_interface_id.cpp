#include "tablet/core/sibling_interface_id.h"

#include <cwchar>

namespace Korva::QEL {
namespace {

wchar_t upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c;
}

std::wstring upperCase(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result)
        c = upper(c);
    return result;
}

int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

std::optional<std::wstring> siblingInterfaceId(std::wstring_view hidInstanceId) {
    const std::wstring id = upperCase(hidInstanceId);
    constexpr std::wstring_view prefix = L"HID\\";
    constexpr std::wstring_view marker = L"&MI_";
    const std::size_t instance = id.rfind(L'\\');
    if (id.compare(0, prefix.size(), prefix) != 0 || instance < prefix.size())
        return std::nullopt;
    const std::size_t number = id.find(marker, prefix.size());
    if (number == std::wstring::npos || number + marker.size() + 2 > instance)
        return std::nullopt;
    const std::size_t digits = number + marker.size();
    const int high = hexValue(id[digits]);
    const int low = hexValue(id[digits + 1]);
    if (high < 0 || low < 0 || high * 16 + low == 0xFF)
        return std::nullopt;
    wchar_t next[3];
    std::swprintf(next, 3, L"%02X", high * 16 + low + 1);
    // "USB" is as long as "HID", so the digits keep their place.
    std::wstring sibling = L"USB" + id.substr(3, instance - 3);
    sibling.replace(digits, 2, next);
    return sibling + std::wstring(hidInstanceId.substr(instance));
}

} // namespace Korva::QEL
