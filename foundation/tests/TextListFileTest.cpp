#include "foundation/TextList.h"
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const TextList& list) {
    Lines v;
    for (unsigned i = 0; i < list.count(); ++i) v.push_back(list.get(i).c_str());
    return v;
}

// A scratch folder under the temp path, removed with its files afterwards.
class TextListFile : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = String(temp) + "q8textlist";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const String& f : files_) DeleteFileA(f.c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    String file(const char* name) {
        String path = folder_ + "\\" + name;
        files_.push_back(path);
        return path;
    }
    static void writeBytes(const String& path, const std::string& bytes) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    static std::string readBytes(const String& path) {
        HANDLE h =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "(missing)";
        std::string bytes(GetFileSize(h, nullptr), '\0');
        DWORD read = 0;
        if (!bytes.empty()) ReadFile(h, &bytes[0], DWORD(bytes.size()), &read, nullptr);
        CloseHandle(h);
        return bytes;
    }
    String folder_;
    std::vector<String> files_;
};

TEST_F(TextListFile, SaveWritesCrLfAndLoadReadsItBack) {
    struct Row {
        const char* name;
        Lines lines;
        std::string bytes;
        Lines loaded;
    } rows[] = {
        {"plain", {"first", "second"}, "first\r\nsecond\r\n", {"first", "second"}},
        {"empty line inside", {"a", "", "b"}, "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"empty last entry", {"a", ""}, "a\r\n\r\n", {"a", ""}},
        {"only an empty entry", {""}, "\r\n", {""}},
        {"entry with a line break splits", {"a\rb"}, "a\rb\r\n", {"a", "b"}},
        {"high bytes", {"Gr\xfc\xdf", "\xe4"}, "Gr\xfc\xdf\r\n\xe4\r\n", {"Gr\xfc\xdf", "\xe4"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list;
        for (const std::string& s : r.lines) list.add(s.c_str());
        String path = file("round.txt");
        EXPECT_EQ(list.saveFile(path), 1);
        EXPECT_EQ(readBytes(path), r.bytes);
        TextList again;
        again.add("replaced");
        EXPECT_EQ(again.loadFile(path), 1);
        EXPECT_EQ(linesOf(again), r.loaded);
    }
}

TEST_F(TextListFile, LoadSplitsEveryLineBreakStyle) {
    String path = file("styles.txt");
    writeBytes(path, std::string("mac\rstyle\rdos\r\nunix\nend"));
    TextList list;
    ASSERT_EQ(list.loadFile(path), 1);
    EXPECT_EQ(linesOf(list), (Lines{"mac", "style", "dos", "unix", "end"}));
}

TEST_F(TextListFile, LoadFailuresLeaveAnEmptyList) {
    String empty = file("empty.txt");
    writeBytes(empty, "");
    String tooLong = file("toolong.txt");
    writeBytes(tooLong, "1\r\n2\r\n3\r\n4\r\n5\r\n");
    struct Row {
        const char* name;
        String path;
        unsigned maxEntries;
    } rows[] = {
        {"missing file", folder_ + "\\absent.txt", 16},
        {"empty file", empty, 16},
        {"a folder", folder_, 16},
        {"more lines than the list holds", tooLong, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TextList list(2, r.maxEntries);
        list.add("old");
        EXPECT_EQ(list.loadFile(r.path), 0);
        EXPECT_EQ(list.count(), 0u);
    }
}

TEST_F(TextListFile, LoadReleasesTheFile) {
    String path = file("released.txt");
    writeBytes(path, "line\r\n");
    TextList list;
    ASSERT_EQ(list.loadFile(path), 1);
    EXPECT_TRUE(DeleteFileA(path.c_str()));   // no handle or view left open
}

TEST_F(TextListFile, SaveFailsWhereTheFileCannotBeCreated) {
    TextList list;
    list.add("x");
    EXPECT_EQ(list.saveFile(folder_ + "\\no such folder\\out.txt"), 0);

    // Opened elsewhere without sharing: the save must not claim success.
    String path = file("busy.txt");
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(list.saveFile(path), 0);
    CloseHandle(h);
}

TEST_F(TextListFile, EmptyListSavesAnEmptyFileThatDoesNotLoad) {
    TextList list;
    String path = file("nothing.txt");
    EXPECT_EQ(list.saveFile(path), 1);
    EXPECT_EQ(readBytes(path), "");
    EXPECT_EQ(list.loadFile(path), 0);   // an empty file cannot be mapped
}

}   // namespace
