#include "foundation/FileStream.h"
#include "foundation/Files.h"
#include "foundation/TextList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const TextList& list) {
    Lines lines;
    for (unsigned i = 0; i < list.count(); ++i) lines.push_back(list.get(i).c_str());
    return lines;
}

void writeFile(const String& path, const std::string& content) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path.c_str();
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(file);
}

void removeTree(const String& directory) {
    TextList directories, files;
    listDirectory(directory, &directories, &files, true, false);
    // Dot names are not listed; remove those by hand below.
    for (unsigned i = 0; i < files.count(); ++i) DeleteFileA(files.get(i).c_str());
    for (unsigned i = 0; i < directories.count(); ++i) removeTree(directories.get(i));
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((directory + "\\.*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const String name = data.cFileName;
            if (name == "." || name == "..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(directory + "\\" + name);
            else
                DeleteFileA((directory + "\\" + name).c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

// A small tree in the prefix's temp folder:
//   root\a.txt  root\b.txt (1234 bytes)  root\.hidden
//   root\sub1\d.txt  root\sub1\deep\e.txt  root\sub2\c.txt  root\.dotdir\f.txt
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        root = String(temp) + "q8_files_" + String::decimal(GetCurrentProcessId());
        removeTree(root);
        for (const char* d : {"", "\\sub1", "\\sub1\\deep", "\\sub2", "\\.dotdir"})
            ASSERT_TRUE(CreateDirectoryA((root + d).c_str(), nullptr)) << d;
        for (const char* f : {"\\a.txt", "\\.hidden", "\\sub1\\d.txt", "\\sub1\\deep\\e.txt", "\\sub2\\c.txt",
                              "\\.dotdir\\f.txt"})
            writeFile(root + f, "x");
        writeFile(root + "\\b.txt", std::string(1234, 'b'));
    }
    void TearDown() override { removeTree(root); }

    String root;
};

TEST_F(FilesTest, ExistenceAndSize) {
    const String longPath = root + "\\" + String('n', 300);
    struct Row {
        const char* name;
        String path;
        bool file, directory;
        uint64_t size;
    } rows[] = {
        {"file", root + "\\b.txt", true, false, 1234},
        {"directory", root + "\\sub1", false, true, 0},
        {"directory with trailing backslash", root + "\\sub1\\", false, false, 0},
        {"missing", root + "\\missing.txt", false, false, 0},
        {"hidden dot file", root + "\\.hidden", true, false, 1},
        {"longer than MAX_PATH", longPath, false, false, 0},
        {"empty", "", false, false, 0},
        {"wildcard matching files", root + "\\*.txt", false, false, 0},
        {"wildcard matching a directory", root + "\\sub?", false, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fileExists(row.path), row.file);
        EXPECT_EQ(directoryExists(row.path), row.directory);
        EXPECT_EQ(fileSize(row.path), row.size);
    }
    WIN32_FIND_DATAA data{};
    ASSERT_TRUE(fileExists(root + "\\b.txt", &data));
    EXPECT_STREQ(data.cFileName, "b.txt");
    EXPECT_EQ(data.nFileSizeLow, 1234u);
}

TEST_F(FilesTest, ListDirectorySkipsDotNames) {
    struct Row {
        const char* name;
        String directory;
        bool withPrefix;
        Lines directories, files;
    } rows[] = {
        {"with prefix",
         root,
         true,
         {(root + "\\sub1").c_str(), (root + "\\sub2").c_str()},
         {(root + "\\a.txt").c_str(), (root + "\\b.txt").c_str()}},
        {"trailing backslash given",
         root + "\\",
         true,
         {(root + "\\sub1").c_str(), (root + "\\sub2").c_str()},
         {(root + "\\a.txt").c_str(), (root + "\\b.txt").c_str()}},
        {"names only", root, false, {"sub1", "sub2"}, {"a.txt", "b.txt"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TextList directories, files;
        EXPECT_EQ(listDirectory(row.directory, &directories, &files, row.withPrefix, true), 1);
        EXPECT_EQ(linesOf(directories), row.directories);
        EXPECT_EQ(linesOf(files), row.files);
    }
    // Unsorted: the same entries in whatever order the file system gives.
    TextList directories, files;
    EXPECT_EQ(listDirectory(root, &directories, &files, false, false), 1);
    directories.sort();
    files.sort();
    EXPECT_EQ(linesOf(directories), (Lines{"sub1", "sub2"}));
    EXPECT_EQ(linesOf(files), (Lines{"a.txt", "b.txt"}));
    // One list only.
    TextList onlyFiles;
    EXPECT_EQ(listDirectory(root, nullptr, &onlyFiles, false, true), 1);
    EXPECT_EQ(linesOf(onlyFiles), (Lines{"a.txt", "b.txt"}));
}

TEST_F(FilesTest, ListingAMissingOrOverlongDirectoryChangesNothing) {
    for (const String& missing : {root + "\\missing", root + "\\" + String('n', 270)}) {
        TextList directories, files;
        directories.add("kept");
        EXPECT_EQ(listDirectory(missing, &directories, &files, true, true), 0);
        EXPECT_EQ(linesOf(directories), (Lines{"kept"}));
        EXPECT_EQ(files.count(), 0u);
    }
}

TEST_F(FilesTest, RecursiveSearchFindsEveryFileButNoDirectory) {
    TextList sorted;
    findFilesRecursively(root, sorted, true);
    const std::string r = root.c_str();
    EXPECT_EQ(linesOf(sorted), (Lines{r + "\\a.txt", r + "\\b.txt", r + "\\sub1\\d.txt",
                                      r + "\\sub1\\deep\\e.txt", r + "\\sub2\\c.txt"}));
    TextList appended;
    findFilesRecursively(root, appended, false);
    EXPECT_EQ(appended.count(), 5u);
    TextList none;
    findFilesRecursively(root + "\\missing", none, true);
    EXPECT_EQ(none.count(), 0u);
}

TEST_F(FilesTest, CreateDirectoryPath) {
    struct Row {
        const char* name;
        String path;
        bool result;
        String madeFolder;
    } rows[] = {
        {"three new levels", root + "\\new\\x\\y", true, root + "\\new\\x\\y"},
        {"already there", root + "\\sub1", true, root + "\\sub1"},
        {"trailing backslash: made but reported false", root + "\\tb\\z\\", false, root + "\\tb\\z"},
        {"longer than MAX_PATH", root + "\\" + String('n', 300) + "\\q", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(createDirectoryPath(row.path), row.result);
        if (!row.madeFolder.isEmpty()) {
            EXPECT_TRUE(directoryExists(row.madeFolder));
        }
    }
    TextList directories;
    listDirectory(root, &directories, nullptr, false, true);
    EXPECT_EQ(linesOf(directories), (Lines{"new", "sub1", "sub2", "tb"}));
}

TEST_F(FilesTest, FileStreamReadsWritesAndSeeks) {
    const String path = root + "\\stream.bin";
    {
        FileStream out(path, openModeAccess(false), openModeDisposition(false, true));
        ASSERT_TRUE(out.isOpen());
        EXPECT_EQ(out.write("0123456789", 10), 10u);
        EXPECT_EQ(out.size(), 10u);
        EXPECT_EQ(out.position(), 10u);
    }
    FileStream in(path, openModeAccess(true), openModeDisposition(true, false));
    ASSERT_TRUE(in.isOpen());
    EXPECT_EQ(in.path(), path);
    EXPECT_TRUE(in.seek(3));
    EXPECT_EQ(in.position(), 3u);
    char buffer[16] = {};
    EXPECT_EQ(in.read(buffer, sizeof buffer), 7u);
    EXPECT_STREQ(buffer, "3456789");
    EXPECT_EQ(in.read(buffer, sizeof buffer), 0u);   // at the end
    EXPECT_EQ(in.write("x", 1), 0u);                 // opened for reading only

    FileStream overlong(root + "\\" + String('n', 300), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_FALSE(overlong.isOpen());
}

TEST_F(FilesTest, ReadOnlyStreamNeverCreatesAFile) {
    const String path = root + "\\never.txt";
    FileStream stream(path, GENERIC_READ, OPEN_ALWAYS);
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(stream.handle(), nullptr);
    EXPECT_FALSE(fileExists(path));
    char buffer[4];
    EXPECT_EQ(stream.read(buffer, 4), 0u);
    EXPECT_EQ(stream.write("abcd", 4), 0u);
    EXPECT_EQ(stream.size(), 0u);
    EXPECT_EQ(stream.position(), 0u);
    EXPECT_FALSE(stream.seek(1));
    // A writer with the same disposition does create it.
    FileStream writer(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    EXPECT_TRUE(writer.isOpen());
    EXPECT_TRUE(fileExists(path));
}

TEST(OpenModes, AccessAndDisposition) {
    EXPECT_EQ(openModeAccess(true), (DWORD)GENERIC_READ);
    EXPECT_EQ(openModeAccess(false), (DWORD)(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(openModeDisposition(true, true), (DWORD)OPEN_EXISTING);
    EXPECT_EQ(openModeDisposition(false, true), (DWORD)CREATE_ALWAYS);
    EXPECT_EQ(openModeDisposition(false, false), (DWORD)OPEN_ALWAYS);
}

TEST(FileVersion, FromTheVersionResource) {
    struct Row {
        const char* file;
        const char* longForm;
        const char* shortForm;
    } rows[] = {
        {"q8_version_fixture_A.dll", "2.0.6.1", "2.06"},
        {"q8_version_fixture_B.dll", "1.10.2.0", "1.102"},
        {"q8_guard_fixture.dll", "", ""},   // no version resource
        {"missing.dll", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        EXPECT_STREQ(fileVersionText(row.file, false).c_str(), row.longForm);
        EXPECT_STREQ(fileVersionText(row.file, true).c_str(), row.shortForm);
    }
    EXPECT_EQ(fileVersionNumber("q8_version_fixture_A.dll"), 0x0002000000060001ULL);
    EXPECT_STREQ(versionNumberText(0x0001000200030004ULL, true).c_str(), "1.23");
    EXPECT_STREQ(versionNumberText(0, false).c_str(), "");
}

}   // namespace
