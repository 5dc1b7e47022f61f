#include "inventory/ShortcutSections.h"

#include "foundation/Files.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"
#include "inventory/InstallationInventory.h"
#include "receiver/FileDescription.h"
#include "foundation/LineWriter.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

namespace {

// Desktop entries whose upper-cased names start with one of these.
const char* const desktopPrefixes[] = {"BRELVANX", "Q8", "ZNQ8"};

void desktopMatches(TextList& list, int csidl) {
    const String folder = specialFolderPath(csidl);
    if (folder.isEmpty()) return;   // "" + "\" would search the root of the current drive
    for (const char* prefix : desktopPrefixes) addFolderMatches(list, folder, prefix);
    list.removeAdjacentDuplicates();
}

void startMenuFiles(TextList& list, int csidl) {
    const String folder = specialFolderPath(csidl);
    if (!folder.isEmpty()) findFilesRecursively(folder + "\\Brelvanx", list, true);
}

void writeSection(LineWriter& out, const char* title, const TextList& list, bool shortcuts) {
    if (list.count() == 0) return;
    out.writeLine("", false);
    out.writeLine(title, false);
    for (unsigned i = 0; i < list.count(); ++i)
        out.writeLine(shortcuts ? describeShortcut(list.get(i)) : describeFile(list.get(i), false), false);
}

}   // namespace

String describeShortcut(const String& path) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
        link == nullptr)
        return String();

    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        file != nullptr) {
        // IPersistFile takes only wide paths; the ANSI path converts through
        // the ANSI code page, as the file system would have done.
        WCHAR widePath[1024];
        if (path.toWide(widePath, 1024, CP_ACP) > 0)
            file->Load(widePath, STGM_READ);   // a failed load makes the queries below fail
        file->Release();
    }

    String text;
    char buffer[1024];
    buffer[0] = 0;
    if (SUCCEEDED(link->GetPath(buffer, sizeof buffer, nullptr, 0))) {
        buffer[sizeof buffer - 1] = 0;
        text = buffer;
    }
    buffer[0] = 0;
    if (SUCCEEDED(link->GetWorkingDirectory(buffer, sizeof buffer))) {
        buffer[sizeof buffer - 1] = 0;
        text += String(" [") + buffer + "]";
    }
    link->Release();
    return describeFile(path, false) + ": " + text;
}

void writeShortcutSections(LineWriter& out) {
    // S_FALSE (already initialised on this thread) also counts and must be
    // balanced; a failure (another apartment model) must not be.
    const HRESULT initialised = CoInitialize(nullptr);

    TextList list;
    desktopMatches(list, CSIDL_DESKTOPDIRECTORY);
    writeSection(out, "Desktop shortcuts:", list, false);
    list.clear();
    desktopMatches(list, CSIDL_COMMON_DESKTOPDIRECTORY);
    writeSection(out, "Common desktop shortcuts:", list, true);
    list.clear();
    startMenuFiles(list, CSIDL_PROGRAMS);
    writeSection(out, "Start menu shortcuts:", list, true);
    list.clear();
    startMenuFiles(list, CSIDL_COMMON_PROGRAMS);
    writeSection(out, "All users Start menu shortcuts:", list, true);

    if (SUCCEEDED(initialised)) CoUninitialize();
}
