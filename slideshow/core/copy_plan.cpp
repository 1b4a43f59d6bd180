#include "slideshow/core/copy_plan.h"

#include "slideshow/core/image_list_names.h"

#include <map>

namespace Korva::QELD {

CopyPlan planCopy(const std::vector<FolderItem>& pictures, const std::vector<FolderItem>& copy,
                  std::uint64_t bound) {
    std::map<std::u16string, FileStamp> held;
    for (const auto& item : copy)
        held.emplace(item.name, item.stamp);
    CopyPlan plan;
    for (const auto& picture : pictures) {
        if (picture.stamp.size > bound - plan.bytes)
            break;
        plan.bytes += picture.stamp.size;
        plan.kept.push_back(picture);
        const auto found = held.find(picture.name);
        if (found == held.end() || !(found->second == picture.stamp))
            plan.copy.push_back(picture);
        if (found != held.end())
            held.erase(found);
    }
    for (const auto& [name, stamp] : held)
        plan.remove.push_back(name);
    return plan;
}

bool isShareFolder(std::u16string_view folder) {
    return folder.size() > 2 && (folder[0] == u'\\' || folder[0] == u'/') &&
           (folder[1] == u'\\' || folder[1] == u'/');
}

// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, and ERROR_DIRECTORY (the path
// names a file): everything else, network errors and time-outs above all,
// leaves the folder's pictures where they were.
bool isFolderGone(std::uint32_t error) {
    return error == 2 || error == 3 || error == 267;
}

std::u16string copyFolderName(std::u16string_view folder) {
    while (!folder.empty() && (folder.front() == u'\\' || folder.front() == u'/'))
        folder.remove_prefix(1);
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/'))
        folder.remove_suffix(1);
    std::u16string name;
    for (const char16_t unit : folder)
        name += unit < 0x20 ||
                        std::u16string_view(u"\\/:*?\"<>|").find(unit) != std::u16string_view::npos
                    ? u'_'
                    : unit;
    return asciiLower(std::move(name));
}

} // namespace Korva::QELD
