// The receiver probe against the simulated receiver library, each case set up
// through the library's Q8SIM_* environment variables.  Every probe gets a
// fresh copy of the library in a folder of its own, so each is a separate
// module: a library that faulted is never called again by the probe, and one
// case must not spoil the next.
#include "receiver/ReceiverProbe.h"

#include "foundation/Win32.h"
#include "foundation/LineCollector.h"
#include "foundation/TextList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
using Environment = std::vector<std::pair<const char*, const char*>>;

const char* const kSettingNames[] = {
    "Q8SIM_RECEIVERS", "Q8SIM_OPEN_FAIL",         "Q8SIM_POWER_FAIL",  "Q8SIM_TUNE_FAIL",
    "Q8SIM_LOCK",      "Q8SIM_DEBUG_FAIL",        "Q8SIM_EEPROM_FAIL", "Q8SIM_EEPROM_SEED",
    "Q8SIM_PATH_FAIL", "Q8SIM_PATH_UNTERMINATED", "Q8SIM_FAULT",       "Q8SIM_LOG",
};

std::string binDirectory() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\'));
}

// Removes the folders earlier runs left behind: their libraries could not
// be deleted while those processes still had them loaded.
void removeOldFolders(const std::string& temp) {
    WIN32_FIND_DATAA folder;
    HANDLE folders = FindFirstFileA((temp + "q8probe-*").c_str(), &folder);
    if (folders == INVALID_HANDLE_VALUE) return;
    do {
        const std::string path = temp + folder.cFileName;
        WIN32_FIND_DATAA file;
        HANDLE files = FindFirstFileA((path + "\\*").c_str(), &file);
        if (files != INVALID_HANDLE_VALUE) {
            do DeleteFileA((path + "\\" + file.cFileName).c_str());
            while (FindNextFileA(files, &file));
            FindClose(files);
        }
        RemoveDirectoryA(path.c_str());
    } while (FindNextFileA(folders, &folder));
    FindClose(folders);
}

// A new, empty folder under the temporary folder (never one that exists).
std::string freshFolder() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    if (serial == 0) removeOldFolders(temp);
    for (;;) {
        std::string folder = std::string(temp) + "q8probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial);
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    }
}

std::string fileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    CloseHandle(file);
    return text;
}

Lines splitLines(const std::string& text) {
    Lines lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

struct Library {
    std::string folder;
    std::string path;
    std::string log;
};

// Copies the built library (sourceName in the test's own folder) as fileName
// into a fresh folder; its calls are logged to a file beside it.
Library installLibrary(const char* sourceName = "ZNQ8API.DLL", const char* fileName = "ZNQ8API.DLL") {
    Library library;
    library.folder = freshFolder();
    library.path = library.folder + "\\" + fileName;
    library.log = library.folder + "\\calls.txt";
    CopyFileA((binDirectory() + "\\" + sourceName).c_str(), library.path.c_str(), FALSE);
    return library;
}

void setSimulator(const Library& library, const Environment& environment) {
    for (const char* name : kSettingNames) SetEnvironmentVariableA(name, nullptr);
    SetEnvironmentVariableA("Q8SIM_LOG", library.log.c_str());
    for (const auto& setting : environment) SetEnvironmentVariableA(setting.first, setting.second);
}

struct ProbeResult {
    Lines details;   // every line, summary lines included
    Lines summaries;
    Lines calls;   // the simulator's call log
};

ProbeResult probe(const Library& library, const Environment& environment = {},
                  unsigned settleMilliseconds = 0) {
    setSimulator(library, environment);
    LineCollector out;
    ReceiverProbeSettings settings;
    settings.settleMilliseconds = settleMilliseconds;
    probeReceivers(out, library.path.c_str(), settings);
    return {out.lines, out.summaryLines, splitLines(fileText(library.log))};
}

// True when want appears in lines as a contiguous run.
bool containsRun(const Lines& lines, const Lines& want) {
    if (want.empty()) return true;
    for (size_t i = 0; i + want.size() <= lines.size(); ++i) {
        size_t k = 0;
        while (k < want.size() && lines[i + k] == want[k]) ++k;
        if (k == want.size()) return true;
    }
    return false;
}

bool containsText(const Lines& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::string joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

const Lines kRegisterDumpOfReceiver1 = {
    "VERSION: 03\tFIRMWARE: 2b\tFEATURES1: 1d\tFEATURES2: 06\t",
    "STATUS: 83\tPWR_CTL: 0f\tINT_MSK: 3c\tINT_REQ: 00\t",
    "PLL_STATUS: 03\tEE_ADR: ff\tEE_DAT: 01\tEXECUTE: 00\t",
    "EXECUTE2: 00\tTIMER: 01\tHWCHG: 00\tHWCHG2: 00\t",
    "RSSI1_LO: 08\tRSSI1_HI: 03\tRSSI2_LO: 84\tRSSI2_HI: 01\t",
    "ADC3_LO: c4\tADC3_HI: 02\tADC4_LO: 88\tADC4_HI: 01\t",
    "ADC5_LO: 00\tADC5_HI: 00\tFMW_CONTROL: 01\tFMW_STATUS: 00\t",
    "AUD_SRC: 02\tAUD_L: c0\tAUD_R: c0\tI2C_ERROR: 00\t",
    "RF1_BAND: 05\tRF2_BAND: 15\tBP_CLKSEL: 01\t[35]: 00\t",
    "RF2_PLL1: d8\tRF2_PLL2: d6\tRF2_PLL3: 00\tRF2_PLL4: 00\t",
    "IF1_DAC1: 81\tIF1_DAC2: 7f\tIF1_DAC3: 82\tIF1_DAC4: 7c\t",
    "IF1_DAC5: 90\tIF1_DAC6: 88\tIF1_DAC7: 00\tIF1_DAC8: ff\t",
    "PLL_PLL1: 7c\tPLL_PLL2: 15\tPLL_PLL3: 00\tPLL_PLL4: 00\t",
    "PLL_DDS1: 00\tPLL_DDS2: 00\tPLL_DDS3: 00\tPLL_DDS4: 40\t",
    "IF2_PLL1: 01\tIF2_PLL2: ae\tIF2_PLL3: 00\tIF2_PLL4: 00\t",
    "IF2_DDS1: 99\tIF2_DDS2: 99\tIF2_DDS3: 19\tIF2_DDS4: 09\t",
};

// The whole block of one healthy receiver, line by line, and the calls in
// the order the library sees them.
TEST(ReceiverProbe, OneHealthyReceiver) {
    Library library = installLibrary();
    ProbeResult r = probe(library);

    Lines want = {"Looking for Q8 receivers:", "   1 Q8 receiver(s) found"};
    want.insert(want.end(), kRegisterDumpOfReceiver1.begin(), kRegisterDumpOfReceiver1.end());
    ASSERT_GE(r.details.size(), want.size());
    EXPECT_EQ(joined(want), joined(Lines(r.details.begin(), r.details.begin() + want.size())));
    EXPECT_TRUE(
        containsRun(r.details, {"      Q8 ##1 WORKING OK", "EEPROM content", "   Radio description: "}));
    EXPECT_TRUE(containsRun(r.details, {"   RSSI ref2: 498", "   Device Name: \\\\.\\ZnQ8Usb0", ""}));
    EXPECT_EQ("", r.details.back());
    EXPECT_EQ(joined({"   1 Q8 receiver(s) found", "      Q8 ##1 WORKING OK"}), joined(r.summaries));
    EXPECT_EQ(joined({
                  "Q8GetRadioList(00000000, 0) = 1",
                  "OpenRadioDevice(1) = 1",
                  "SetPower(#1, 1) = 1",
                  "SetFrequency(#1, 10000000) = 1",
                  "Q8GetDebug(#1) = 1",
                  "Q8GetEEP(#1) = 1",
                  "Q8GetPath(#1, 1024) = 1",
                  "SetPower(#1, 0) = 1",
                  "CloseRadioDevice(#1) = 1",
              }),
              joined(r.calls));
}

// Libraries that cannot be used at all: only the "Looking for" line and one
// summary line; at most the receiver count is asked for.
TEST(ReceiverProbe, UnusableLibraries) {
    enum Source { Built, NoLock, NoFile, TextFile };
    struct Case {
        const char* name;
        Source source;
        const char* fileName;
        Environment environment;
        Lines details;   // "$P" stands for the library's full path
        Lines calls;
    };
    const Case cases[] = {
        {"missing Q8GetLock, which is never called",
         NoLock,
         "ZNQ8API.DLL",
         {},
         {"Looking for Q8 receivers:", "   Failed to link API functions from ZNQ8API.DLL"},
         {}},
        {"no receivers",
         Built,
         "ZNQ8API.DLL",
         {{"Q8SIM_RECEIVERS", "0"}},
         {"Looking for Q8 receivers:", "   No Q8 receivers found"},
         {"Q8GetRadioList(00000000, 0) = 0"}},
        {"model word from the file name",
         Built,
         "ZNX5API.DLL",
         {{"Q8SIM_RECEIVERS", "0"}},
         {"Looking for X5 receivers:", "   No X5 receivers found"},
         {"Q8GetRadioList(00000000, 0) = 0"}},
        {"no such file",
         NoFile,
         "ZNQ8API.DLL",
         {},
         {"Looking for Q8 receivers:", "   Unable to load $P"},
         {}},
        {"not a library",
         TextFile,
         "ZNQ8API.DLL",
         {},
         {"Looking for Q8 receivers:", "   Unable to load $P"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Library library;
        if (c.source == Built || c.source == NoLock) {
            library = installLibrary(c.source == NoLock ? "ZNQ8API-NOLOCK.DLL" : "ZNQ8API.DLL", c.fileName);
        } else {
            library.folder = freshFolder();
            library.path = library.folder + "\\" + c.fileName;
            library.log = library.folder + "\\calls.txt";
            if (c.source == TextFile) {
                HANDLE f =
                    CreateFileA(library.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                DWORD n = 0;
                WriteFile(f, "not a library\r\n", 15, &n, nullptr);
                CloseHandle(f);
            }
        }
        ProbeResult r = probe(library, c.environment);
        Lines want = c.details;
        for (std::string& line : want) {
            size_t at = line.find("$P");
            if (at != std::string::npos) line.replace(at, 2, library.path);
        }
        EXPECT_EQ(joined(want), joined(r.details));
        EXPECT_EQ(joined(Lines(want.begin() + 1, want.end())), joined(r.summaries));
        EXPECT_EQ(joined(c.calls), joined(r.calls));
    }
}

// Failures of single steps: each is reported and the rest of the receiver's
// block still runs.  summaries is the whole summary; run must appear among
// the details as consecutive lines; absent must appear in no detail line.
TEST(ReceiverProbe, ReceiverFailures) {
    struct Case {
        const char* name;
        Environment environment;
        Lines summaries;
        Lines run;
        const char* absent;
    };
    const std::string unterminatedName = [] {
        std::string s;
        for (int i = 0; i < 1024; ++i) s += char('A' + i % 26);
        return s;
    }();
    const Case cases[] = {
        {"second of three fails to open",
         {{"Q8SIM_RECEIVERS", "3"}, {"Q8SIM_OPEN_FAIL", "2"}},
         {"   3 Q8 receiver(s) found", "      Q8 ##1 WORKING OK",
          "   Unable to open the Q8 receiver #2 from ZNQ8API.DLL", "      Q8 ##3 WORKING OK"},
         {"   Device Name: \\\\.\\ZnQ8Usb0", "", "   Unable to open the Q8 receiver #2 from ZNQ8API.DLL",
          "VERSION: 03\tFIRMWARE: 2b\tFEATURES1: 1d\tFEATURES2: 06\t"},
         "ZnQ8Usb1"},
        {"power-up fails, the dump goes on",
         {{"Q8SIM_POWER_FAIL", "1"}},
         {"   1 Q8 receiver(s) found", "   Unable to power up the receiver #1 from ZNQ8API.DLL",
          "      Q8 ##1: PLL module is NOT locked : IF2 module is NOT locked  = FAILURE"},
         {"   Unable to power up the receiver #1 from ZNQ8API.DLL",
          "VERSION: 03\tFIRMWARE: 2b\tFEATURES1: 1d\tFEATURES2: 06\t",
          "STATUS: 82\tPWR_CTL: 00\tINT_MSK: 3c\tINT_REQ: 00\t"},
         "Unable to tune"},
        {"tuning fails",
         {{"Q8SIM_TUNE_FAIL", "1"}},
         {"   1 Q8 receiver(s) found", "   Unable to tune the receiver #1 from ZNQ8API.DLL",
          "      Q8 ##1: PLL module is NOT locked : IF2 module is NOT locked  = FAILURE"},
         {"   Unable to tune the receiver #1 from ZNQ8API.DLL",
          "VERSION: 03\tFIRMWARE: 2b\tFEATURES1: 1d\tFEATURES2: 06\t"},
         "Unable to power up"},
        {"lock bits 0x03, 0x01, 0x00, 0x02",
         {{"Q8SIM_RECEIVERS", "4"}, {"Q8SIM_LOCK", "0x03,0x01,0x00,0x02"}},
         {"   4 Q8 receiver(s) found", "      Q8 ##1 WORKING OK",
          "      Q8 ##2: IF2 module is NOT locked  = FAILURE",
          "      Q8 ##3: PLL module is NOT locked : IF2 module is NOT locked  = FAILURE",
          "      Q8 ##4: PLL module is NOT locked  = FAILURE"},
         {},
         nullptr},
        {"register read fails: no dump, and the cleared buffer reads as unlocked",
         {{"Q8SIM_RECEIVERS", "2"}, {"Q8SIM_DEBUG_FAIL", "2"}},
         {"   2 Q8 receiver(s) found", "      Q8 ##1 WORKING OK",
          "      Q8 ##2: PLL module is NOT locked : IF2 module is NOT locked  = FAILURE"},
         {"", "   Unable to obtain PIC registers for #2 from ZNQ8API.DLL",
          "      Q8 ##2: PLL module is NOT locked : IF2 module is NOT locked  = FAILURE", "EEPROM content"},
         nullptr},
        {"EEPROM read fails: summary line, no fields, the name follows",
         {{"Q8SIM_EEPROM_FAIL", "1"}},
         {"   1 Q8 receiver(s) found", "      Q8 ##1 WORKING OK",
          "   Unable to get EEPROM from Q8 receiver #1 from ZNQ8API.DLL"},
         {"EEPROM content", "   Unable to get EEPROM from Q8 receiver #1 from ZNQ8API.DLL",
          "   Device Name: \\\\.\\ZnQ8Usb0", ""},
         "Radio description"},
        {"device name fails",
         {{"Q8SIM_PATH_FAIL", "1"}},
         {"   1 Q8 receiver(s) found", "      Q8 ##1 WORKING OK"},
         {"   RSSI ref2: 498", "   Unable to retrieve the device name for #1 from ZNQ8API.DLL", ""},
         "Device Name"},
        {"device name without terminator ends with the 1024-byte buffer",
         {{"Q8SIM_PATH_UNTERMINATED", "1"}},
         {"   1 Q8 receiver(s) found", "      Q8 ##1 WORKING OK"},
         {"   RSSI ref2: 498", "   Device Name: " + unterminatedName, ""},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeResult r = probe(installLibrary(), c.environment);
        EXPECT_EQ(joined(c.summaries), joined(r.summaries));
        EXPECT_TRUE(containsRun(r.details, c.run)) << joined(r.details);
        if (c.absent) {
            EXPECT_FALSE(containsText(r.details, c.absent)) << joined(r.details);
        }
        // Every receiver that opened is powered down and closed again, the
        // others are left alone.
        const int opened = int(std::count_if(r.calls.begin(), r.calls.end(), [](const std::string& s) {
            return s.rfind("OpenRadioDevice(", 0) == 0 && s.substr(s.size() - 4) != " = 0";
        }));
        EXPECT_EQ(opened, int(std::count_if(r.calls.begin(), r.calls.end(), [](const std::string& s) {
                      return s.rfind("CloseRadioDevice(", 0) == 0;
                  })));
        EXPECT_EQ(2 * opened, int(std::count_if(r.calls.begin(), r.calls.end(), [](const std::string& s) {
                      return s.rfind("SetPower(", 0) == 0;
                  })));
    }
}

// An access violation inside any export the probe calls: one summary line,
// nothing in the library called after the fault (the open receiver stays
// open), the second receiver not probed, and the probe of the next library
// works as before.
TEST(ReceiverProbe, FaultInEachCalledExport) {
    const char* const exports[] = {"Q8GetRadioList", "OpenRadioDevice", "SetPower",  "SetFrequency",
                                   "Q8GetDebug",     "Q8GetEEP",        "Q8GetPath", "CloseRadioDevice"};
    for (const char* name : exports) {
        SCOPED_TRACE(name);
        Library library = installLibrary();
        const std::string fault = std::string(name) + (std::string(name) == "Q8GetRadioList" ? "" : ":1");
        ProbeResult r = probe(library, {{"Q8SIM_RECEIVERS", "2"}, {"Q8SIM_FAULT", fault.c_str()}});
        ASSERT_FALSE(r.summaries.empty());
        EXPECT_EQ("   exception while accessing ZNQ8API.DLL", r.summaries.back());
        EXPECT_EQ("   exception while accessing ZNQ8API.DLL", r.details.back());
        ASSERT_FALSE(r.calls.empty());
        EXPECT_EQ(std::string(name) + ": access violation", r.calls.back());
        EXPECT_FALSE(containsText(r.details, "##2"));
        EXPECT_FALSE(containsText(r.calls, "(2)"));

        // The same library again in this process: not entered at all, and
        // the line says why rather than reporting a new fault.
        const size_t callsBefore = r.calls.size();
        ProbeResult again = probe(library, {{"Q8SIM_RECEIVERS", "2"}});
        EXPECT_EQ(joined({"Looking for Q8 receivers:",
                          "   exception while accessing ZNQ8API.DLL (not called again: it "
                          "faulted in an earlier report)"}),
                  joined(again.details));
        EXPECT_EQ(callsBefore, again.calls.size());
    }
    // A healthy library after all those faults.
    ProbeResult healthy = probe(installLibrary());
    EXPECT_EQ(joined({"   1 Q8 receiver(s) found", "      Q8 ##1 WORKING OK"}), joined(healthy.summaries));
}

// Receiver counts a broken driver may report: negative ones probe nothing,
// huge ones only the first 16, each with one line saying so.
TEST(ReceiverProbe, ReceiverCountLimits) {
    struct Case {
        const char* count;
        Lines summaryStart;
        int opens;   // OpenRadioDevice calls
    };
    const Case cases[] = {
        {"-1",
         {"   -1 Q8 receiver(s) found", "   Invalid receiver count from ZNQ8API.DLL, no receiver probed"},
         0},
        {"0x80000000",
         {"   -2147483648 Q8 receiver(s) found",
          "   Invalid receiver count from ZNQ8API.DLL, no receiver probed"},
         0},
        {"2000000000",
         {"   2000000000 Q8 receiver(s) found", "   Only the first 16 receivers are probed",
          "   Unable to open the Q8 receiver #1 from ZNQ8API.DLL"},
         16},
        {"17",
         {"   17 Q8 receiver(s) found", "   Only the first 16 receivers are probed",
          "   Unable to open the Q8 receiver #1 from ZNQ8API.DLL"},
         16},
        {"16", {"   16 Q8 receiver(s) found", "   Unable to open the Q8 receiver #1 from ZNQ8API.DLL"}, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        ProbeResult r = probe(installLibrary(), {{"Q8SIM_RECEIVERS", c.count}, {"Q8SIM_OPEN_FAIL", "all"}});
        ASSERT_GE(r.summaries.size(), c.summaryStart.size());
        EXPECT_EQ(joined(c.summaryStart),
                  joined(Lines(r.summaries.begin(), r.summaries.begin() + c.summaryStart.size())));
        const int opens = int(std::count_if(r.calls.begin(), r.calls.end(), [](const std::string& s) {
            return s.rfind("OpenRadioDevice(", 0) == 0;
        }));
        EXPECT_EQ(c.opens, opens);
        if (c.opens) {
            EXPECT_EQ("   Unable to open the Q8 receiver #16 from ZNQ8API.DLL", r.summaries.back());
        }
    }
}

// The report's own settings: a second's wait after power-up for each receiver.
TEST(ReceiverProbe, WaitsForEachReceiverToSettle) {
    Library library = installLibrary();
    setSimulator(library, {{"Q8SIM_RECEIVERS", "2"}});
    LineCollector out;
    const DWORD start = GetTickCount();
    probeReceivers(out, library.path.c_str());
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1990u);
    EXPECT_LT(elapsed, 10000u);
    EXPECT_EQ(3u, out.summaryLines.size());
}

// The report's search: only list entries ending exactly in "API.DLL" are
// probed; the list holds upper-case paths, so a library written in lower case
// on disk is found.
TEST(ReceiverProbe, SearchProbesEntriesEndingInApiDll) {
    Library library = installLibrary("ZNQ8API.DLL", "znq8api.dll");
    for (const char* name : {"ZNQ8APIX.DLL", "ZNQ8API.DLL.OLD", "ZNQXAPI.dll"})
        CopyFileA((binDirectory() + "\\ZNQ8API-NOLOCK.DLL").c_str(), (library.folder + "\\" + name).c_str(),
                  FALSE);
    std::string folder = library.folder;
    for (char& c : folder) c = char(toupper((unsigned char)c));
    setSimulator(library, {{"Q8SIM_RECEIVERS", "0"}});

    TextList systemFiles;
    systemFiles.add((folder + "\\ZNQ8API.DLL").c_str());
    systemFiles.add((folder + "\\ZNQ8API.DLL.OLD").c_str());
    systemFiles.add((folder + "\\ZNQ8APIX.DLL").c_str());
    systemFiles.add((library.folder + "\\ZNQXAPI.dll").c_str());
    systemFiles.add("PI.DLL");
    LineCollector out;
    searchForReceivers(out, systemFiles);

    EXPECT_EQ(
        joined({"", "Searching for receivers:", "Looking for Q8 receivers:", "   No Q8 receivers found"}),
        joined(out.lines));
}

}   // namespace
