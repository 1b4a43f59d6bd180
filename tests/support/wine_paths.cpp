#include "tests/support/wine_paths.h"

#include <windows.h>

namespace Korva::QELD::Test {

std::wstring windowsPath(std::wstring_view unixPath) {
    std::wstring path = L"Z:";
    for (const wchar_t c : unixPath)
        path += c == L'/' ? L'\\' : c;
    return path;
}

std::wstring windowsPath(std::string_view unixPath) {
    return windowsPath(std::wstring(unixPath.begin(), unixPath.end()));
}

std::string unixPath(const std::filesystem::path& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr)
        return {};
    char* const text = convert(path.wstring().c_str());
    if (text == nullptr)
        return {};
    std::string result(text);
    ::HeapFree(::GetProcessHeap(), 0, text);
    return result;
}

} // namespace Korva::QELD::Test
