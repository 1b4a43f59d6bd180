#include "common/error_categories.h"
#include "common/unique_handle.h"

#include <gtest/gtest.h>

using namespace Korva::Win32;

namespace {

std::system_error caught(void (*raise)()) {
    try {
        raise();
    } catch (const std::system_error& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return std::system_error(0, std::generic_category());
}

} // namespace

TEST(ErrorCategories, CarryNameValueAndSystemText) {
    const auto e = caught([] { throwWin32(ERROR_FILE_NOT_FOUND, "CreateFile"); });
    EXPECT_STREQ(e.code().category().name(), "win32api");
    EXPECT_EQ(e.code().value(), 2);
    const std::string what = e.what();
    EXPECT_EQ(what.rfind("CreateFile: ", 0), 0u) << what;
    EXPECT_GT(what.size(), std::string("CreateFile: 2").size()) << "no system text: " << what;
    EXPECT_NE(what.back(), '\n');

    const auto unnamed = caught([] { throwHResult(E_OUTOFMEMORY); });
    EXPECT_STREQ(unnamed.code().category().name(), "HRESULT");
    // A raise that names no function names its source file and line instead.
    EXPECT_EQ(std::string(unnamed.what()).rfind("common/error_categories_test.cpp:", 0), 0u)
        << unnamed.what();
    EXPECT_STREQ(caught([] { throwNtStatus(0); }).code().category().name(), "NTSTATUS");
    EXPECT_STREQ(caught([] { throwConfigRet(13); }).code().category().name(), "CONFIGRET");
}

TEST(ErrorCategories, ValuesWithoutTextRenderAsNumbers) {
    EXPECT_EQ(win32api_category().message(0x2FFFFFFF), std::to_string(0x2FFFFFFF));
    EXPECT_EQ(HRESULT_category().message(static_cast<int>(0x8BADF00D)), "0x8badf00d");
    EXPECT_EQ(NTSTATUS_category().message(-1073741823), "-1073741823");
    EXPECT_EQ(CONFIGRET_category().message(13), "13");
}

TEST(ErrorCategories, Win32ValuesCompareWithGenericConditions) {
    const std::error_code notFound(2, win32api_category());
    EXPECT_EQ(notFound, std::errc::no_such_device);
    EXPECT_EQ(notFound, std::errc::no_such_file_or_directory);
    EXPECT_EQ(std::error_code(6, win32api_category()).default_error_condition(),
              std::errc::bad_file_descriptor);
    EXPECT_EQ(std::error_code(1167, win32api_category()).default_error_condition(),
              std::error_condition(1167, win32api_category()));
    EXPECT_NE(std::error_code(2, HRESULT_category()), std::errc::no_such_file_or_directory);
}

TEST(UniqueHandle, ReleasesExactlyOnceAndMovesOwnership) {
    unique_event first = createEvent();
    const HANDLE raw = first.get();
    unique_event second = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    second.reset();
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "handle still open after reset";
    unique_file file;
    EXPECT_FALSE(file) << "INVALID_HANDLE_VALUE is the empty file handle";
}
