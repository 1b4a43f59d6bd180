#include "service/core/folder_path.h"

#include <gtest/gtest.h>

using namespace Korva::QELD;

namespace {

// Drive N: stands for a letter the administrator has mapped to a share.
bool driveNIsNetwork(char16_t drive) {
    return drive == u'N';
}

FolderPathProblem problemOf(std::u16string_view path) {
    return checkFolderPath(path, driveNIsNetwork).problem;
}

} // namespace

TEST(FolderPath, LocalAndUncPathsPassWithBackslashesAndOneTrailingSeparator) {
    EXPECT_EQ(checkFolderPath(u"C:/Pictures/Counter", driveNIsNetwork).folder,
              u"C:\\Pictures\\Counter\\");
    EXPECT_EQ(checkFolderPath(u"d:\\Pictures\\", driveNIsNetwork).folder, u"d:\\Pictures\\");
    EXPECT_EQ(checkFolderPath(u"//server/share", driveNIsNetwork).folder, u"\\\\server\\share\\");
    EXPECT_EQ(checkFolderPath(u"\\\\server\\share\\a b\\", driveNIsNetwork).folder,
              u"\\\\server\\share\\a b\\");
}

TEST(FolderPath, EachKindOfBadPathIsRefusedWithItsReason) {
    const std::pair<const char16_t*, FolderPathProblem> cases[] = {
        {u"", FolderPathProblem::NotAbsolute},
        {u"Pictures", FolderPathProblem::NotAbsolute},
        {u"C:Pictures", FolderPathProblem::NotAbsolute},
        {u"\\Pictures", FolderPathProblem::NotAbsolute},
        {u"\\\\server", FolderPathProblem::BadComponent},
        {u"\\\\server\\\\share", FolderPathProblem::BadComponent},
        {u"C:\\Pics\\*", FolderPathProblem::Wildcard},
        {u"\\\\?\\C:\\Pics", FolderPathProblem::Wildcard},
        {u"C:\\Pics|x", FolderPathProblem::BadCharacter},
        {u"C:\\Pics\\a:b", FolderPathProblem::BadCharacter},
        {u"C:\\Pics\tx", FolderPathProblem::BadCharacter},
        {u"C:\\Pics\\\\x", FolderPathProblem::BadComponent},
        {u"C:\\Pics\\..\\Windows", FolderPathProblem::BadComponent},
        {u"C:\\Pics. \\x", FolderPathProblem::BadComponent},
        {u"C:\\Pics\\\\", FolderPathProblem::BadComponent},
        {u"\\\\.\\pipe\\x", FolderPathProblem::BadComponent},
        {u"n:\\Pictures", FolderPathProblem::NetworkDrive},
    };
    for (const auto& [path, problem] : cases) {
        const FolderPathCheck check = checkFolderPath(path, driveNIsNetwork);
        EXPECT_EQ(check.problem, problem)
            << std::string(path, path + std::char_traits<char16_t>::length(path));
        EXPECT_TRUE(check.folder.empty());
    }
    EXPECT_EQ(problemOf(u"C:\\" + std::u16string(244, u'p')), FolderPathProblem::None);
    EXPECT_EQ(problemOf(u"C:\\" + std::u16string(245, u'p')), FolderPathProblem::TooLong);
    EXPECT_NE(folderPathAdvice(FolderPathProblem::NetworkDrive).find(u"UNC path"),
              std::u16string::npos);
}
