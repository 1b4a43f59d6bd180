#include "tablet/core/hardware_id.h"
#include "tablet/core/sibling_interface_id.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

using namespace Korva::QEL;
using Korva::Fuzz::check;

namespace {

// Device ids arrive as UTF-16 code units.
std::wstring textOf(const std::uint8_t* data, std::size_t size) {
    std::wstring text(size / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

std::wstring format(const HardwareId& id) {
    wchar_t text[64];
    std::swprintf(text, 64, L"HID\\VID_%04X&PID_%04X&REV_%04X%ls", id.idVendor, id.idProduct,
                  id.revision, id.hasInterfaceNumber ? L"&MI_00" : L"");
    return text;
}

void checkHardwareId(const std::wstring& text) {
    const auto id = parseHardwareId(text);
    if (!id)
        return;
    check(parseHardwareId(format(*id)) == id, "a parsed hardware id formats and parses back");
}

// The sibling is the same id under "USB\" with the next interface number:
// equal length, the same instance part, and only the prefix and the two
// digits after "&MI_" changed.
void checkSibling(const std::wstring& text) {
    const auto sibling = siblingInterfaceId(text);
    if (!sibling)
        return;
    check(sibling->size() == text.size(), "the sibling id is as long as the HID id");
    check(sibling->compare(0, 4, L"USB\\") == 0, "the sibling id is a USB id");
    const std::size_t instance = text.rfind(L'\\');
    check(sibling->compare(instance, std::wstring::npos, text, instance) == 0,
          "the sibling keeps the instance part");
    const std::size_t marker = sibling->find(L"&MI_");
    check(marker != std::wstring::npos && marker + 6 <= instance, "the sibling has a number");
    const auto number = [](const std::wstring& s, std::size_t at) {
        return std::stoi(s.substr(at, 2), nullptr, 16);
    };
    check(number(*sibling, marker + 4) == number(text, marker + 4) + 1,
          "the sibling's interface number is the next one");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = textOf(data, size);
    checkHardwareId(text);
    checkSibling(text);
    return 0;
}
