// The sound-card section on real files: the file name it looks for, and a
// missing file or folder writing nothing at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/SoundCardConfig.h"
#include "audio/tests/LineCollector.h"
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
    void writeFile(const std::vector<unsigned char>& bytes) {
        HANDLE file = CreateFileA(path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    std::vector<std::string> expected = {
        "Demod settings for " + folder_,
        "   Receiver [**demo**] ", "      Wave device: Speakers", "      Mixer device: ", "      Mixer line: ",
        "   Receiver [12L00000] ", "      Wave device: ", "      Mixer device: ", "      Mixer line: ",
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

}  // namespace
