// The inventory sections against a test installation in the Wine prefix: real
// files and folders, real registry keys, shortcuts made and read through the
// shell-link object.  The same test runs in a 32-bit and a 64-bit prefix.
#include "inventory/tests/InventoryFixture.h"

#include "foundation/LineCollector.h"
#include "foundation/String.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "inventory/DriverSections.h"
#include "inventory/InstallationInventory.h"
#include "inventory/ShortcutSections.h"
#include "receiver/FileDescription.h"
#include "report/GenerateReport.h"
#include "report/ReportDocument.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

namespace {

const char* const uninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const servicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

std::vector<std::string> entries(const TextList& list) {
    std::vector<std::string> out;
    for (unsigned i = 0; i < list.count(); ++i) out.push_back(list.get(i).c_str());
    return out;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string describe(const std::string& path, bool fullPath) {
    return describeFile(String(path.c_str()), fullPath).c_str();
}

TEST(InstallationInventory, UninstallEntriesGiveInstallationFolders) {
    TestInstallation install;
    install.folder("C:\\Q8TEST\\App");
    install.folder("C:\\Q8TEST\\Long Folder Name");
    install.folder("C:\\Q8TEST\\Uninst");
    install.folder("C:\\Q8TEST\\Other");
    const std::string shortFolder = shortPathOf("C:\\Q8TEST\\Long Folder Name");
    ASSERT_NE("", shortFolder);
    struct Entry {
        const char* key;
        const char* displayIcon;   // null: value absent
        const char* uninstallString;
    };
    const std::string shortIcon = shortFolder + "\\x.exe";
    const Entry entriesMade[] = {
        {"Brelvanx Q8 Receiver Software", "\"C:\\Q8TEST\\App\\q8.exe\",0", nullptr},
        {"BRELVANX Q80", "", "\"C:\\Q8TEST\\Uninst\\unins000.exe\" /SILENT"},
        {"brelvanx q8 empty", "", nullptr},
        {"brelvanx q8 short name", shortIcon.c_str(), nullptr},
        {"Brelvanx Q8 Again", "c:\\q8test\\app\\tool.exe", "\"C:\\Q8TEST\\Other\\u.exe\""},
        {"Brelvanx Q8 Missing", "C:\\Q8TEST\\NoSuchFolder\\x.exe", nullptr},
        {"Brelvanx Q7 Other", "C:\\Q8TEST\\Other\\x.exe", nullptr},
        {"Q8 Brelvanx", "C:\\Q8TEST\\Other\\x.exe", nullptr},
    };
    for (const Entry& e : entriesMade) {
        const std::string key = std::string(uninstallKey) + e.key;
        install.registryKey(HKEY_LOCAL_MACHINE, key);
        if (e.displayIcon) install.registryString(HKEY_LOCAL_MACHINE, key, "DisplayIcon", e.displayIcon);
        if (e.uninstallString)
            install.registryString(HKEY_LOCAL_MACHINE, key, "UninstallString", e.uninstallString);
    }

    TextList directories;
    directories.insertSorted("C:\\Q8TEST\\APP");   // as the plug-in path would put it in
    listUninstallDirectories(directories);
    const std::vector<std::string> expected = {"C:\\Q8TEST\\APP", "C:\\Q8TEST\\LONG FOLDER NAME",
                                               "C:\\Q8TEST\\UNINST"};
    EXPECT_EQ(expected, entries(directories));
}

TEST(InstallationInventory, SystemAndSharedFilesByPrefix) {
    TestInstallation install;
    const std::string system = systemFolder();
    const std::string windows = windowsFolder();
    install.folder(windows + "\\System");
    install.file(system + "\\znq8api.dll");
    install.folder(system + "\\ZNQ8Data");
    install.file(system + "\\.znq8hidden");
    install.file(system + "\\xznq8.dll");
    install.file(windows + "\\System\\ZNQ8old.vxd");
    install.file(windows + "\\znq8.ini");
    install.file(windows + "\\zqtValidPlugins.dll");
    install.file(system + "\\smeter.dll");
    install.file(windows + "\\smeterx.txt");

    const std::string sys = upper(String(system.c_str()).longPathForm().c_str());
    const std::string win = upper(String(windows.c_str()).longPathForm().c_str());
    TextList found;
    findFilesByPrefix(found, "ZNQ8");
    // The system folder is also reached as WINDOWS\System32: still once each.
    EXPECT_EQ(sorted({sys + "\\ZNQ8API.DLL", sys + "\\ZNQ8DATA", win + "\\SYSTEM\\ZNQ8OLD.VXD",
                      win + "\\ZNQ8.INI"}),
              entries(found));

    TextList shared;
    findFilesByPrefix(shared, "smeter");
    findFilesByPrefix(shared, "zqtValid");
    EXPECT_EQ(sorted({sys + "\\SMETER.DLL", win + "\\SMETERX.TXT", win + "\\ZQTVALIDPLUGINS.DLL"}),
              entries(shared));
}

TEST(InstallationInventory, DirectoryTreeIndentsAndStopsAtLinks) {
    TestInstallation install;
    const std::string root = "C:\\Q8TREE";
    install.folder(root + "\\sub1\\sub2");
    install.file(root + "\\a.txt", "a");
    install.file(root + "\\.hidden", "h");
    install.file(root + "\\sub1\\b.txt", "bb");
    install.folder(root + "\\sub1\\.dotfolder");
    install.file(root + "\\sub1\\.dotfolder\\never.txt", "n");
    install.file(root + "\\sub1\\sub2\\c.txt", "ccc");
    // A link back to the top: followed, it would repeat the tree until the
    // paths overflow.
    const bool linked = install.unixSymlink(root + "\\sub1\\sub2\\loop", root);
    if (linked) {
        EXPECT_NE(0u,
                  GetFileAttributesA((root + "\\sub1\\sub2\\loop").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    }

    LineCollector document;
    listDirectoryTree(document, root.c_str(), 0);
    std::vector<std::string> expected = {
        "[" + root + "]",
        "     " + describe(root + "\\a.txt", false),
        "     [" + root + "\\sub1]",
        "          " + describe(root + "\\sub1\\b.txt", false),
        "          [" + root + "\\sub1\\sub2]",
        "               " + describe(root + "\\sub1\\sub2\\c.txt", false),
    };
    if (linked) expected.push_back("               [" + root + "\\sub1\\sub2\\loop]");
    EXPECT_EQ(expected, document.lines);
    EXPECT_EQ("     a.txt: 1, ", expected[1].substr(0, 15));

    LineCollector missing;
    listDirectoryTree(missing, "C:\\Q8TREE\\none", 5);
    EXPECT_EQ(std::vector<std::string>({"     [C:\\Q8TREE\\none]"}), missing.lines);
    if (!linked) GTEST_SKIP() << "no Unix symbolic link could be made";
}

TEST(InstallationInventory, DriverFilesAndServiceEntries) {
    TestInstallation install;
    const std::string drivers = systemFolder() + "\\drivers";
    install.folder(drivers);
    install.file(drivers + "\\znq8usb.sys");
    install.file(drivers + "\\ZNQ8.SYS");
    install.file(drivers + "\\xznq8.sys");
    const std::string svc = servicesKey;
    install.registryString(HKEY_LOCAL_MACHINE, svc + "ZNQ8", "DisplayName", "ZN-Q8 receiver");
    install.registryString(HKEY_LOCAL_MACHINE, svc + "ZNQ8", "ImagePath", "System32\\DRIVERS\\znq8.sys");
    install.registryDword(HKEY_LOCAL_MACHINE, svc + "ZNQ8", "Start", 3);
    install.registryString(HKEY_LOCAL_MACHINE, svc + "znq8usb", "ImagePath",
                           "\\SystemRoot\\System32\\drivers\\znq8usb.sys");
    install.registryString(HKEY_LOCAL_MACHINE, svc + "XZNQ8", "DisplayName", "not ours");
    // Start stored as text is not a start type.
    install.registryString(HKEY_LOCAL_MACHINE, svc + "ZNQ8Text", "Start", "2");
    // Listed among the services but impossible to open: its line shows the
    // service exists, with empty values.
    install.danglingRegistryLink(HKEY_LOCAL_MACHINE, svc + "ZNQ8Unreadable");
    HKEY probe = nullptr;
    ASSERT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, (svc + "ZNQ8Unreadable").c_str(), 0, KEY_READ, &probe));

    LineCollector document;
    writeDriverFilesSection(document);
    writeDriverRegistrySection(document);
    const std::vector<std::string> lines = document.lines;

    const std::string folder = upper(String(drivers.c_str()).longPathForm().c_str());
    EXPECT_EQ(std::vector<std::string>(
                  {describe(folder + "\\ZNQ8.SYS", true), describe(folder + "\\ZNQ8USB.SYS", true)}),
              sectionAfter(lines, "Driver files"));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ("", lines[0]);

    // Registry enumeration order is the system's: compare as a set.
    EXPECT_EQ(
        sorted({"ZNQ8: ZN-Q8 receiver, System32\\DRIVERS\\znq8.sys [3]", "ZNQ8Text: ,  [0]",
                "ZNQ8Unreadable: ,  [0]", "znq8usb: , \\SystemRoot\\System32\\drivers\\znq8usb.sys [0]"}),
        sorted(sectionAfter(lines, "Driver registry entries")));
}

TEST(InstallationInventory, Shortcuts) {
    TestInstallation install;
    install.folder("C:\\Q8TEST\\App");
    install.file("C:\\Q8TEST\\App\\q8.exe");
    const std::string desktop = specialFolder(CSIDL_DESKTOPDIRECTORY);
    const std::string commonDesktop = specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    const std::string programs = specialFolder(CSIDL_PROGRAMS) + "\\Brelvanx";
    const std::string commonPrograms = specialFolder(CSIDL_COMMON_PROGRAMS) + "\\Brelvanx";

    {
        // Nothing installed: no heading at all.
        LineCollector empty;
        writeShortcutSections(empty);
        EXPECT_EQ(std::vector<std::string>(), empty.lines);
    }

    install.file(desktop + "\\Q8 Manual.pdf", "%PDF");
    install.file(desktop + "\\my Q8.lnk", "x");
    install.file(desktop + "\\ZNQ8 Tool.txt", "x");
    install.shortcut(commonDesktop + "\\Q8 Receiver.lnk", "C:\\Q8TEST\\App\\q8.exe", "C:\\Q8TEST\\App");
    install.file(commonDesktop + "\\Other.lnk", "x");
    install.folder(programs + "\\Tools");
    install.shortcut(programs + "\\Receiver.lnk", "C:\\Q8TEST\\App\\q8.exe", "C:\\Q8TEST\\App");
    install.shortcut(programs + "\\Tools\\Manual.lnk", "C:\\Q8TEST\\App\\q8.exe", "C:\\Q8TEST");

    LineCollector document;
    writeShortcutSections(document);
    const std::vector<std::string> lines = document.lines;

    EXPECT_EQ(std::vector<std::string>({describe(desktop + "\\Q8 MANUAL.PDF", false),
                                        describe(desktop + "\\ZNQ8 TOOL.TXT", false)}),
              sectionAfter(lines, "Desktop shortcuts:"));
    EXPECT_EQ(describe(desktop + "\\Q8 MANUAL.PDF", false).substr(0, 15), "Q8 MANUAL.PDF: ");

    const std::string target = ": C:\\Q8TEST\\App\\q8.exe";
    EXPECT_EQ(std::vector<std::string>(
                  {describe(commonDesktop + "\\Q8 RECEIVER.LNK", false) + target + " [C:\\Q8TEST\\App]"}),
              sectionAfter(lines, "Common desktop shortcuts:"));
    EXPECT_EQ(std::vector<std::string>(
                  {describe(programs + "\\Receiver.lnk", false) + target + " [C:\\Q8TEST\\App]",
                   describe(programs + "\\Tools\\Manual.lnk", false) + target + " [C:\\Q8TEST]"}),
              sectionAfter(lines, "Start menu shortcuts:"));
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "All users Start menu shortcuts:"));

    // Without COM on the thread the shell-link object cannot be made: the
    // line is empty rather than a description without a target.
    struct NoCom {
        std::string path;
        std::string line = "unset";
        static DWORD WINAPI run(void* self) {
            NoCom& call = *static_cast<NoCom*>(self);
            call.line = describeShortcut(call.path.c_str()).c_str();
            return 0;
        }
    } noCom{programs + "\\Receiver.lnk"};
    HANDLE thread = CreateThread(nullptr, 0, NoCom::run, &noCom, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ("", noCom.line);

    // A file that is no shortcut: the description, ": " and nothing it
    // could read from the link.
    install.folder(commonPrograms);
    install.file(commonPrograms + "\\Broken.lnk", "not a link");
    LineCollector broken;
    writeShortcutSections(broken);
    const std::vector<std::string> brokenSection =
        sectionAfter(broken.lines, "All users Start menu shortcuts:");
    ASSERT_EQ(1u, brokenSection.size());
    EXPECT_EQ(0u, brokenSection[0].find(describe(commonPrograms + "\\Broken.lnk", false) + ": "))
        << brokenSection[0];
}

// The whole stretch from the installation folders to the shortcuts, with the
// plug-in paths read as the program reads them.
TEST(InstallationInventory, ReportSectionsInOrder) {
    TestInstallation install;
    install.folder("C:\\Q8TEST\\App");
    install.file("C:\\Q8TEST\\App\\q8.exe");
    install.registryString(HKEY_LOCAL_MACHINE, "Software\\ZQT", "SearchPath", "c:\\q8test\\app");
    install.registryString(HKEY_LOCAL_MACHINE, std::string(uninstallKey) + "Brelvanx Q8", "DisplayIcon",
                           "\"C:\\Q8TEST\\App\\q8.exe\",0");
    _putenv(("ZQT_PLUGIN_PATH=" + shortPathOf("C:\\Q8TEST\\App")).c_str());
    install.file(systemFolder() + "\\ZNQ8API.DLL");

    const bool wow64 = runningUnderWow64();
    // The 64-bit prefix must really exercise the WoW64 branch.
    const char* expectWow64 = std::getenv("Q8_EXPECT_WOW64");
    EXPECT_EQ(expectWow64 != nullptr && *expectWow64 == '1', wow64);
    std::string nativeFile;
    if (wow64) {
        // Only in the real 64-bit system folder, which a 32-bit process sees
        // only with redirection off.
        Wow64RedirectionOff redirectionOff;
        nativeFile = systemFolder() + "\\znq8x64.dll";
        install.file(nativeFile);
    }

    // The plug-in paths as the program reads them, and the driver's steps
    // from the installation folders to the shortcuts.
    String registryPath, variablePath;
    readPluginPaths(registryPath, variablePath);
    LineCollector out;
    TextList systemFiles;
    writeInstallationSteps(out, registryPath, variablePath, systemFiles);
    const std::vector<std::string> lines = out.lines;
    if (wow64) {
        Wow64RedirectionOff redirectionOff;
        DeleteFileA(nativeFile.c_str());
    }

    std::vector<std::string> headings;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].empty()) headings.push_back(lines[i + 1]);
    std::vector<std::string> expectedHeadings = {"Installation directories:", "System files found:"};
    if (wow64) expectedHeadings.push_back("64bit files found:");
    for (const char* h :
         {"Shared files:", "Driver files", "Driver registry entries", "Application data:", "User data:"})
        expectedHeadings.push_back(h);
    EXPECT_EQ(expectedHeadings, headings);

    // Registry path, variable (short form) and uninstall entry: one folder.
    const std::vector<std::string> installation = sectionAfter(lines, "Installation directories:");
    ASSERT_EQ(2u, installation.size());
    EXPECT_EQ("[C:\\Q8TEST\\APP]", installation[0]);

    const std::string sys = upper(String(systemFolder().c_str()).longPathForm().c_str());
    EXPECT_EQ(std::vector<std::string>({describe(sys + "\\ZNQ8API.DLL", true)}),
              sectionAfter(lines, "System files found:"));
    EXPECT_EQ(std::vector<std::string>({sys + "\\ZNQ8API.DLL"}), entries(systemFiles));
    if (wow64) {
        const std::vector<std::string> native = sectionAfter(lines, "64bit files found:");
        ASSERT_EQ(1u, native.size());
        EXPECT_EQ(0u, native[0].find(sys + "\\ZNQ8X64.DLL: 1, ")) << native[0];
    }
    EXPECT_EQ("[" + specialFolder(CSIDL_APPDATA) + "\\Brelvanx]",
              sectionAfter(lines, "Application data:").at(0));
    EXPECT_EQ("[" + specialFolder(CSIDL_PERSONAL) + "\\Brelvanx]", sectionAfter(lines, "User data:").at(0));
    _putenv("ZQT_PLUGIN_PATH=");
}

}   // namespace
