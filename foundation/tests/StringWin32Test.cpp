#include "foundation/String.h"
#include "foundation/DynamicCalls.h"
#include "foundation/Win32.h"

#include <gtest/gtest.h>

namespace {

String tempDirectory() {
    String path = String::reserved(MAX_PATH);
    GetTempPathA(MAX_PATH, path.buffer());
    path.recomputeLength();
    if (path.length() && path[path.length() - 1] == '\\') path = path.substring(0, path.length() - 1);
    return path;
}

TEST(StringWin32, LongPathForm) {
    String temp = tempDirectory();
    String folder = temp + "\\Long Folder Name.q8";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    String longForm = folder.longPathForm();
    EXPECT_TRUE(longForm.upperCase() == folder.longPathForm().upperCase());
    EXPECT_STREQ(longForm.fileNamePart().c_str(), "Long Folder Name.q8");
    EXPECT_EQ(longForm.length(), strlen(longForm.c_str()));   // cut at the first zero

    // The short (8.3) alias comes back in its long form.
    char shortPath[MAX_PATH] = {};
    if (GetShortPathNameA(folder.c_str(), shortPath, MAX_PATH) && String(shortPath) != folder) {
        EXPECT_STREQ(String(shortPath).longPathForm().fileNamePart().c_str(), "Long Folder Name.q8");
    }

    EXPECT_STREQ(String("C:\\no\\such\\path\\here.txt").longPathForm().c_str(), "");
    EXPECT_STREQ(String("").longPathForm().c_str(), "");
    RemoveDirectoryA(folder.c_str());
}

// Windows 95 and NT 4.0 have no GetLongPathNameA: the form built from the
// path's entries must be what the function gives where it exists, but for
// case: the function keeps a long component as it was written and gives a
// short one the entry's case, the walk takes every entry's case.  The
// program compares such paths upper-cased only.
TEST(StringWin32, LongPathFormWithoutTheFunctionMatchesIt) {
    const String folder = tempDirectory() + "\\Long Folder Name.q8";
    const String file = folder + "\\A long file name.text";
    CreateDirectoryA(folder.c_str(), nullptr);
    HANDLE made =
        CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    char shortFile[MAX_PATH] = {};
    GetShortPathNameA(file.c_str(), shortFile, MAX_PATH);

    const String paths[] = {
        folder,
        file,
        shortFile,
        folder.lowerCase(),
        folder + "\\",
        folder + "\\..\\Long Folder Name.q8",
        String(shortFile).directoryPart(),
        "C:\\",
        "C:\\windows\\SYSTEM32",
    };
    auto getLongPathName = dynamicCalls().getLongPathNameA;
    ASSERT_NE(getLongPathName, nullptr);
    DynamicCalls& calls = dynamicCallsForTesting();
    for (const String& path : paths) {
        SCOPED_TRACE(path.c_str());
        char expected[MAX_PATH] = {};
        ASSERT_NE(getLongPathName(path.c_str(), expected, MAX_PATH), 0u);
        calls.getLongPathNameA = nullptr;
        const String built = path.longPathForm();
        calls.getLongPathNameA = getLongPathName;
        EXPECT_STREQ(built.upperCase().c_str(), String(expected).upperCase().c_str());
    }
    calls.getLongPathNameA = nullptr;
    EXPECT_STREQ((folder + "\\not here").longPathForm().c_str(), "");
    EXPECT_STREQ(String("Q:\\").longPathForm().c_str(), "");
    calls.getLongPathNameA = getLongPathName;

    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(StringWin32, ToWideIncludesTheTerminator) {
    wchar_t wide[16];
    for (wchar_t& c : wide) c = L'#';
    EXPECT_EQ(String("abc").toWide(wide, 16, CP_ACP), 4);
    EXPECT_EQ(wide[0], L'a');
    EXPECT_EQ(wide[2], L'c');
    EXPECT_EQ(wide[3], L'\0');
    EXPECT_EQ(String("abcdef").toWide(wide, 3, CP_ACP), 0);   // buffer too small
    EXPECT_EQ(String("\xe4").toWide(wide, 16, 1252), 2);
    EXPECT_EQ(wide[0], wchar_t(0x00e4));
}

}   // namespace
