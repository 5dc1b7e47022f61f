#include "inventory/InstallationInventory.h"

#include "foundation/Files.h"
#include "foundation/RegistryKey.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"
#include "receiver/FileDescription.h"
#include "foundation/LineWriter.h"

#include <shlobj.h>
#include <cstring>

namespace {

String upperLong(const String& path) { return path.longPathForm().upperCase(); }

void describeEach(LineWriter& out, const TextList& paths) {
    for (unsigned i = 0; i < paths.count(); ++i) out.writeLine(describeFile(paths.get(i), true), false);
}

// FILE_ATTRIBUTE_REPARSE_POINT exists from Windows 2000 on; older systems
// never set the bit, so the test is simply false there.
bool isReparsePoint(const String& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

void listTree(LineWriter& out, const String& directory, int indent, bool enter) {
    out.writeLine(String(' ', size_t(indent)) + "[" + directory + "]", false);
    if (!enter) return;
    TextList directories;
    TextList files;
    listDirectory(directory, &directories, &files, false, false);
    const String fileIndent(' ', size_t(indent + 5));
    for (unsigned i = 0; i < files.count(); ++i)
        out.writeLine(fileIndent + describeFile(directory + "\\" + files.get(i), false), false);
    for (unsigned i = 0; i < directories.count(); ++i) {
        const String child = directory + "\\" + directories.get(i);
        // A junction that points back at one of its ancestors would repeat the
        // tree below it until the paths no longer fit; a link is shown, not
        // followed.
        listTree(out, child, indent + 5, !isReparsePoint(child));
    }
}

}   // namespace

void listUninstallDirectories(TextList& directories) {
    RegistryKey uninstall(HKEY_LOCAL_MACHINE, READ_CONTROL);
    if (uninstall.openSubKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false, KEY_READ)) {
        TextList names;
        uninstall.listSubKeys(names);
        for (unsigned i = 0; i < names.count(); ++i) {
            const String name = names.get(i);
            if (name.substring(0, 11).upperCase() != "BRELVANX Q8") continue;
            RegistryKey* entry = uninstall.openChild(name, false, KEY_READ);
            if (entry == nullptr) continue;
            String location = entry->readString("DisplayIcon", "");
            if (location.isEmpty()) location = entry->readString("UninstallString", "");
            delete entry;

            size_t quotes = 0;
            while (location[quotes] == '"') ++quotes;
            location.deleteFirst(quotes);
            String folder = upperLong(location.directoryPart());
            folder.trim();
            if (!folder.isEmpty()) directories.insertSorted(folder);
        }
    }
    directories.removeAdjacentDuplicates();
}

void addFolderMatches(TextList& paths, const String& folder, const char* upperPrefix) {
    TextList names;
    listDirectory(folder, &names, &names, false, false);
    const size_t prefixLength = std::strlen(upperPrefix);
    for (unsigned i = 0; i < names.count(); ++i) {
        const String name = names.get(i).upperCase();
        if (std::strncmp(name.c_str(), upperPrefix, prefixLength) == 0)
            paths.insertSorted(folder + "\\" + name);
    }
}

void findFilesByPrefix(TextList& paths, const char* prefix) {
    const String upperPrefix = String(prefix).upperCase();
    const String windows = windowsDirectory();
    const String folders[] = {
        upperLong(systemDirectory()),
        upperLong(windows + "\\System32"),
        upperLong(windows + "\\System"),
        upperLong(windows),
    };
    for (const String& folder : folders) {
        if (!folder.isEmpty()) addFolderMatches(paths, folder, upperPrefix.c_str());
    }
    paths.removeAdjacentDuplicates();
}

void listDirectoryTree(LineWriter& out, const String& directory, int indent) {
    listTree(out, directory, indent, true);
}

void writeInstallationDirectories(LineWriter& out, const String& registryPath, const String& variablePath) {
    TextList directories;
    if (registryPath != "") directories.insertSorted(registryPath);
    if (variablePath != "") directories.insertSorted(variablePath);
    listUninstallDirectories(directories);
    out.writeHeading("Installation directories:");
    for (unsigned i = 0; i < directories.count(); ++i) listDirectoryTree(out, directories.get(i), 0);
}

void writeSystemFiles(LineWriter& out, TextList& systemFiles) {
    out.writeHeading("System files found:");
    findFilesByPrefix(systemFiles, "ZNQ8");
    describeEach(out, systemFiles);
}

void writeNativeSystemFiles(LineWriter& out) {
    out.writeHeading("64bit files found:");
    TextList nativeFiles;
    findFilesByPrefix(nativeFiles, "ZNQ8");
    describeEach(out, nativeFiles);
}

void writeSharedFiles(LineWriter& out) {
    out.writeHeading("Shared files:");
    TextList sharedFiles;
    findFilesByPrefix(sharedFiles, "smeter");
    findFilesByPrefix(sharedFiles, "zqtValid");
    describeEach(out, sharedFiles);
}

void writeUserDataFolders(LineWriter& out) {
    out.writeHeading("Application data:");
    listDirectoryTree(out, specialFolderPath(CSIDL_APPDATA) + "\\Brelvanx", 0);
    out.writeHeading("User data:");
    listDirectoryTree(out, specialFolderPath(CSIDL_PERSONAL) + "\\Brelvanx", 0);
}
