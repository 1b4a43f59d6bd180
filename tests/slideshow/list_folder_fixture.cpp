#include "tests/slideshow/list_folder_fixture.h"

#include "slideshow/core/image_list_names.h"

#include <fstream>
#include <iterator>

namespace Korva::QELD::Test {

namespace fs = std::filesystem;

bool signalledWithin(HANDLE event, std::chrono::milliseconds timeout) {
    return ::WaitForSingleObject(event, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

ListFolderTest::ListFolderTest() {
    static int counter = 0;
    folder_ = fs::temp_directory_path() / ("QELD Lists " + std::to_string(::GetCurrentProcessId()) +
                                           "-" + std::to_string(++counter));
    fs::create_directories(folder_);
}

ListFolderTest::~ListFolderTest() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::u16string ListFolderTest::folderSetting() const {
    const std::wstring text = folder_.wstring() + L"\\";
    return std::u16string(text.begin(), text.end());
}

void ListFolderTest::write(const std::wstring& name, const std::string& contents) {
    std::ofstream(folder_ / name, std::ios::binary) << contents;
}

void ListFolderTest::append(const std::wstring& name, const std::string& contents) {
    std::ofstream(folder_ / name, std::ios::binary | std::ios::app) << contents;
}

void ListFolderTest::rename(const std::wstring& from, const std::wstring& to) {
    fs::rename(folder_ / from, folder_ / to);
}

void ListFolderTest::remove(const std::wstring& name) {
    fs::remove(folder_ / name);
}

std::u16string ListFolderTest::entry(const std::wstring& name) const {
    return asciiLower(folderSetting() + std::u16string(name.begin(), name.end()));
}

ImageRenderer ListFolderTest::contentsRenderer() {
    return [this](const std::u16string& path, const ImageParameters&) {
        ++renders_;
        std::ifstream file(fs::path(std::wstring(path.begin(), path.end())), std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file),
                                         std::istreambuf_iterator<char>());
    };
}

} // namespace Korva::QELD::Test
