// The audio sections inside a whole report: at steps 13 to 16, in order, with
// the headings the driver writes around them.  Runs in a prefix of its own,
// because it puts a receiver folder into the user's documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "foundation/LineCollector.h"
#include "foundation/Win32.h"
#include "report/GenerateReport.h"
#include "report/ReportDocument.h"

#include <shlobj.h>

namespace {

using Lines = std::vector<std::string>;

Lines slice(const Lines& lines, size_t start, size_t count) {
    if (start > lines.size()) return {};
    count = std::min(count, lines.size() - start);
    return Lines(lines.begin() + start, lines.begin() + start + count);
}

TEST(AudioReport, SectionsAtTheirStepsInOrder) {
    char documents[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, documents));
    const std::string brelvanx = std::string(documents) + "\\Brelvanx";
    const std::string receiver = brelvanx + "\\RX1";
    const std::string file = receiver + "\\SoundCard_Config.dat";
    CreateDirectoryA(brelvanx.c_str(), nullptr);
    CreateDirectoryA(receiver.c_str(), nullptr);
    unsigned char record[136] = {0x9A, 0xEE, 0x96, 0x99, 128, 0, 0, 0, 'W', 0};
    HANDLE handle =
        CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    DWORD written = 0;
    WriteFile(handle, record, sizeof record, &written, nullptr);
    CloseHandle(handle);

    Lines report;
    {
        ReportDocument document(false);
        generateReport(document);
        for (unsigned i = 0; i < document.detailLines().count(); ++i)
            report.push_back(document.detailLines().get(i).c_str());
        DeleteFileA(document.logFilePath().c_str());
    }
    DeleteFileA(file.c_str());
    RemoveDirectoryA(receiver.c_str());
    RemoveDirectoryA(brelvanx.c_str());

    LineCollector mixers, devices, codecs;
    writeMixerLines(mixers);
    writeWaveAuxLines(devices);
    writeCodecLines(codecs);

    auto heading = std::find(report.begin(), report.end(), "System mixers:");
    ASSERT_NE(report.end(), heading);
    size_t at = heading - report.begin();
    ASSERT_GT(at, 0u);
    EXPECT_EQ("", report[at - 1]);
    at += 1;
    EXPECT_EQ(mixers.lines, slice(report, at, mixers.lines.size()));
    at += mixers.lines.size();
    Lines soundCard = {"Demod settings for " + receiver, "   Receiver [**demo**] ", "      Wave device: W",
                       "      Mixer device: ",           "      Mixer line: ",      ""};
    EXPECT_EQ(soundCard, slice(report, at, soundCard.size()));
    at += soundCard.size();
    EXPECT_EQ("", report.at(at));
    at += 1;
    EXPECT_EQ(devices.lines, slice(report, at, devices.lines.size()));
    EXPECT_FALSE(devices.lines.empty()) << "no wave devices: is the PulseAudio null sink running?";
    // The receiver probe comes between the devices and the codecs, which end
    // the report.
    ASSERT_GE(report.size(), codecs.lines.size());
    EXPECT_EQ(codecs.lines, slice(report, report.size() - codecs.lines.size(), codecs.lines.size()));
}

}   // namespace
