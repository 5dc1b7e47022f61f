#include "inventory/InstallationInventory.h"

#include "foundation/Files.h"
#include "foundation/RegistryKey.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"
#include "inventory/DriverSections.h"
#include "inventory/ShortcutSections.h"
#include "receiver/FileDescription.h"
#include "report/ReportDocument.h"

#include <shlobj.h>
#include <cstring>

namespace {

String upperLong(const String& path)
{
    return path.longPathForm().upperCase();
}

void heading(ReportDocument& document, const char* text)
{
    document.appendLine("", false);
    document.appendLine(text, false);
}

void describeEach(ReportDocument& document, const TextList& paths)
{
    for (unsigned i = 0; i < paths.count(); ++i)
        document.appendLine(describeFile(paths.get(i), true), false);
}

// FILE_ATTRIBUTE_REPARSE_POINT exists from Windows 2000 on; older systems
// never set the bit, so the test is simply false there.
bool isReparsePoint(const String& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void listTree(ReportDocument& document, const String& directory, int indent, bool enter)
{
    document.appendLine(String(' ', size_t(indent)) + "[" + directory + "]", false);
    if (!enter)
        return;
    TextList directories;
    TextList files;
    listDirectory(directory, &directories, &files, false, false);
    const String fileIndent(' ', size_t(indent + 5));
    for (unsigned i = 0; i < files.count(); ++i)
        document.appendLine(fileIndent + describeFile(directory + "\\" + files.get(i), false), false);
    for (unsigned i = 0; i < directories.count(); ++i) {
        const String child = directory + "\\" + directories.get(i);
        // A junction that points back at one of its ancestors would repeat the
        // tree below it until the paths no longer fit; a link is shown, not
        // followed.
        listTree(document, child, indent + 5, !isReparsePoint(child));
    }
}

}  // namespace

void listUninstallDirectories(TextList& directories)
{
    RegistryKey uninstall(HKEY_LOCAL_MACHINE, READ_CONTROL);
    if (uninstall.openSubKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false, KEY_READ)) {
        TextList names;
        uninstall.listSubKeys(names);
        for (unsigned i = 0; i < names.count(); ++i) {
            const String name = names.get(i);
            if (name.substring(0, 11).upperCase() != "BRELVANX Q8")
                continue;
            RegistryKey* entry = uninstall.openChild(name, false, KEY_READ);
            if (entry == nullptr)
                continue;
            String location = entry->readString("DisplayIcon", "");
            if (location.isEmpty())
                location = entry->readString("UninstallString", "");
            delete entry;

            size_t quotes = 0;
            while (location[quotes] == '"')
                ++quotes;
            location.deleteFirst(quotes);
            String folder = upperLong(location.directoryPart());
            folder.trim();
            if (!folder.isEmpty())
                directories.insertSorted(folder);
        }
    }
    directories.removeAdjacentDuplicates();
}

void addFolderMatches(TextList& paths, const String& folder, const char* upperPrefix)
{
    TextList names;
    listDirectory(folder, &names, &names, false, false);
    const size_t prefixLength = std::strlen(upperPrefix);
    for (unsigned i = 0; i < names.count(); ++i) {
        const String name = names.get(i).upperCase();
        if (std::strncmp(name.c_str(), upperPrefix, prefixLength) == 0)
            paths.insertSorted(folder + "\\" + name);
    }
}

void findFilesByPrefix(TextList& paths, const char* prefix)
{
    const String upperPrefix = String(prefix).upperCase();
    const String windows = windowsDirectory();
    const String folders[] = {
        upperLong(systemDirectory()),
        upperLong(windows + "\\System32"),
        upperLong(windows + "\\System"),
        upperLong(windows),
    };
    for (const String& folder : folders) {
        if (!folder.isEmpty())
            addFolderMatches(paths, folder, upperPrefix.c_str());
    }
    paths.removeAdjacentDuplicates();
}

void listDirectoryTree(ReportDocument& document, const String& directory, int indent)
{
    listTree(document, directory, indent, true);
}

void writeInstallationInventory(ReportDocument& document, TextList& systemFiles)
{
    TextList directories;
    if (document.pluginRegistryPath() != "")
        directories.insertSorted(document.pluginRegistryPath());
    if (document.pluginVariablePath() != "")
        directories.insertSorted(document.pluginVariablePath());
    listUninstallDirectories(directories);
    heading(document, "Installation directories:");
    for (unsigned i = 0; i < directories.count(); ++i)
        listDirectoryTree(document, directories.get(i), 0);

    heading(document, "System files found:");
    findFilesByPrefix(systemFiles, "ZNQ8");
    describeEach(document, systemFiles);

    const bool wow64 = runningUnderWow64();
    if (wow64) {
        // With redirection off, "System32" is the real 64-bit system folder
        // instead of SysWOW64.  Redirection is per thread and affects every
        // file call, so it is on again before anything else is described.
        setWow64FsRedirection(false);
        heading(document, "64bit files found:");
        TextList nativeFiles;
        findFilesByPrefix(nativeFiles, "ZNQ8");
        describeEach(document, nativeFiles);
        setWow64FsRedirection(true);
    }

    heading(document, "Shared files:");
    TextList sharedFiles;
    findFilesByPrefix(sharedFiles, "smeter");
    findFilesByPrefix(sharedFiles, "zqtValid");
    describeEach(document, sharedFiles);

    if (wow64)
        setWow64FsRedirection(true);
    writeDriverFilesSection(document);
    if (wow64)
        setWow64FsRedirection(true);
    writeDriverRegistrySection(document);

    heading(document, "Application data:");
    listDirectoryTree(document, specialFolderPath(CSIDL_APPDATA) + "\\Brelvanx", 0);
    heading(document, "User data:");
    listDirectoryTree(document, specialFolderPath(CSIDL_PERSONAL) + "\\Brelvanx", 0);

    writeShortcutSections(document);
}
