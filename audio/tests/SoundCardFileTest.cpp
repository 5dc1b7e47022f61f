// The sound-card section on real files: the file name it looks for, and a
// missing file or folder writing nothing at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/SoundCardConfig.h"
#include "foundation/LineCollector.h"
#include "foundation/Win32.h"

namespace {

class SoundCardFile : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "q8-soundcard-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA(path().c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    std::string path() const { return folder_ + "\\SoundCard_Config.dat"; }
    void writeFile(const std::vector<unsigned char>& bytes) { writeFileIn(folder_, bytes); }
    static void writeFileIn(const std::string& folder, const std::vector<unsigned char>& bytes) {
        std::string path = folder + "\\SoundCard_Config.dat";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        CloseHandle(file);
    }
    std::vector<std::string> list(const std::string& folder) {
        LineCollector out;
        writeSoundCardLines(out, String(folder.c_str()));
        return out.lines;
    }
    std::string folder_;
};

TEST_F(SoundCardFile, RecordsOfTheFileInTheFolderAreListed) {
    std::vector<unsigned char> bytes(2 * kSoundCardRecordSize + 10, 0);   // two records and a torn third
    unsigned char demo[4] = {0x9A, 0xEE, 0x96, 0x99};
    std::copy(demo, demo + 4, bytes.begin());
    std::string wave = "Speakers";
    std::copy(wave.begin(), wave.end(), bytes.begin() + 8);
    bytes[kSoundCardRecordSize + 3] = 0x12;   // key 0x12000000
    std::vector<std::string> expected = {"Demod settings for " + folder_,
                                         "   Receiver [**demo**] ",
                                         "      Wave device: Speakers",
                                         "      Mixer device: ",
                                         "      Mixer line: ",
                                         "   Receiver [12L00000] ",
                                         "      Wave device: ",
                                         "      Mixer device: ",
                                         "      Mixer line: ",
                                         ""};
    writeFile(bytes);
    EXPECT_EQ(expected, list(folder_));
}

TEST_F(SoundCardFile, MissingFileOrFolderWritesNothing) {
    EXPECT_TRUE(list(folder_).empty());
    EXPECT_TRUE(list(folder_ + "\\no such folder").empty());
    // A folder under the file's name is not a file to read.
    CreateDirectoryA(path().c_str(), nullptr);
    EXPECT_TRUE(list(folder_).empty());
    RemoveDirectoryA(path().c_str());
}

// Folders made for one test and removed again, deepest first.
class TemporaryFolders {
public:
    explicit TemporaryFolders(const std::string& root) : root_(root) { make(""); }
    ~TemporaryFolders() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            DeleteFileA((*it + "\\SoundCard_Config.dat").c_str());
            RemoveDirectoryA(it->c_str());
        }
    }
    std::string make(const std::string& relative) {
        std::string path = relative.empty() ? root_ : root_ + "\\" + relative;
        CreateDirectoryA(path.c_str(), nullptr);
        made_.push_back(path);
        return path;
    }

private:
    std::string root_;
    std::vector<std::string> made_;
};

TEST_F(SoundCardFile, FoldersInReportOrder) {
    // Documents\Brelvanx holds one folder per receiver; the plug-in paths
    // come after them, the registry path only when it is another folder.
    TemporaryFolders folders(folder_ + "\\tree");
    folders.make("Brelvanx");
    std::string second = folders.make("Brelvanx\\RX-B");
    std::string first = folders.make("Brelvanx\\RX-A");
    folders.make("Brelvanx\\RX-C (no file)");
    std::string variable = folders.make("PLUGINS");
    std::string registry = folders.make("OTHER");
    for (const std::string& folder : {first, second, variable, registry}) writeFileIn(folder, {});
    const std::string documents = folder_ + "\\tree";

    struct Row {
        const char* name;
        std::string variablePath, registryPath;
        std::vector<std::string> listed;
    } rows[] = {
        {"registry path differs", variable, registry, {first, second, variable, registry}},
        {"same folder in other letter case",
         variable,
         std::string(variable).replace(variable.size() - 7, 7, "plugins"),
         {first, second, variable}},
        {"no registry path", variable, "", {first, second, variable}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineCollector out;
        writeSoundCardFolders(out, documents.c_str(), row.variablePath.c_str(), row.registryPath.c_str());
        std::vector<std::string> headings;
        for (const std::string& line : out.lines)
            if (line.rfind("Demod settings for ", 0) == 0) headings.push_back(line.substr(19));
        EXPECT_EQ(row.listed, headings);
    }
}

}   // namespace
