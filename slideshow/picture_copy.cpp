#include "slideshow/picture_copy.h"

#include "common/error_categories.h"
#include "slideshow/image_list_directory.h"

#include <shlobj.h>

#include <algorithm>

namespace Korva::QELD {
namespace {

const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The all-users application data folder, with a separator at the end.
std::u16string programData() {
    wchar_t path[MAX_PATH] = {};
    const HRESULT result = ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path);
    if (FAILED(result))
        Win32::throwHResult(result, "SHGetFolderPathW");
    return std::u16string(reinterpret_cast<const char16_t*>(path)) + u"\\";
}

// Creates every missing folder of the path (which ends with a separator).
void createFolders(const std::u16string& folder) {
    for (auto end = folder.find(u'\\', 3); end != std::u16string::npos;
         end = folder.find(u'\\', end + 1)) {
        const std::u16string part = folder.substr(0, end);
        if (!::CreateDirectoryW(wide(part), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            Win32::throwLastError("CreateDirectory");
    }
}

// The files of the copy's folder; partial copies left by an interrupted run
// are listed too, so that they are deleted.
std::vector<FolderItem> listCopy(const std::u16string& copyFolder) {
    std::vector<FolderItem> items;
    listFolder(copyFolder, items);
    std::erase_if(items,
                  [](const FolderItem& item) { return item.name == u"." || item.name == u".."; });
    return items;
}

// Copied under a temporary name and then renamed, so that the copy never
// holds half a picture under a picture's name.
bool copyPicture(const std::u16string& from, const std::u16string& to) {
    const std::u16string partial = to + u".partial";
    if (!::CopyFileW(wide(from), wide(partial), FALSE))
        return false;
    if (::MoveFileExW(wide(partial), wide(to), MOVEFILE_REPLACE_EXISTING))
        return true;
    ::DeleteFileW(wide(partial));
    return false;
}

} // namespace

std::u16string pictureCopyFolder(const std::u16string& shareFolder) {
    return programData() + u"Zelqa\\QEL Display\\Picture copies\\" + copyFolderName(shareFolder) +
           u"\\";
}

CopyContents bringCopyInStep(const std::u16string& shareFolder, const std::u16string& copyFolder,
                             const std::vector<FolderItem>& pictures, std::uint64_t bound) {
    createFolders(copyFolder);
    const CopyPlan plan = planCopy(pictures, listCopy(copyFolder), bound);
    for (const auto& name : plan.remove)
        ::DeleteFileW(wide(copyFolder + name));
    CopyContents contents{plan.kept, plan.bytes};
    for (const auto& item : plan.copy) {
        if (copyPicture(shareFolder + item.name, copyFolder + item.name))
            continue;
        ::DeleteFileW(wide(copyFolder + item.name));
        contents.bytes -= item.stamp.size;
        std::erase(contents.pictures, item);
    }
    return contents;
}

CopyContents readCopy(const std::u16string& copyFolder) {
    CopyContents contents;
    for (auto& item : listCopy(copyFolder)) {
        if (item.name.ends_with(u".partial"))
            continue;
        contents.bytes += item.stamp.size;
        contents.pictures.push_back(std::move(item));
    }
    return contents;
}

} // namespace Korva::QELD
