#include "foundation/SystemQueries.h"
#include "foundation/DynamicCalls.h"
#include "foundation/Files.h"
#include "foundation/RegistryKey.h"

#include <shlobj.h>

#include <initializer_list>

WindowsVersionClass classifyWindowsVersion(const OSVERSIONINFOA* info) {
    OSVERSIONINFOA own;
    if (!info) {
        ZeroMemory(&own, sizeof own);
        own.dwOSVersionInfoSize = sizeof own;   // 148: the size every version accepts
        if (!GetVersionExA(&own)) return windows95;
        info = &own;
    }
    const DWORD major = info->dwMajorVersion, minor = info->dwMinorVersion;
    if (major == 4) {
        if (info->dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
            if (minor < 10) return windows95;
            if (minor < 90) return windows98;
            return windowsMe;
        }
        return windowsNt4;
    }
    if (major == 5) {
        if (minor == 0) return windows2000;
        if (minor == 1) return windowsXp;
        if (minor == 2) return windows2003;   // and 64-bit XP
        return windows95;
    }
    if (major == 6) return windowsVista;   // and every later 6.x
    return windows95;
}

String windowsVersionClassName(WindowsVersionClass versionClass) {
    switch (versionClass) {
    case windows98:
        return "Windows 98";
    case windowsMe:
        return "";
    case windowsNt4:
        return "Windows NT 4.0";
    case windows2000:
        return "Windows 2000";
    case windowsXp:
        return "Windows XP";
    case windowsVista:
        return "Windows Vista";
    case windows2003:
        return "Windows 2003 Server";
    default:
        return "Windows 95";
    }
}

String windowsVersionName(const OSVERSIONINFOA* info) {
    return windowsVersionClassName(classifyWindowsVersion(info));
}

bool windows9xFamily() { return (GetVersion() & 0x80000000u) != 0; }

bool runningUnderWow64() {
    auto isWow64Process = dynamicCalls().isWow64Process;
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

void setWow64FsRedirection(bool enable) {
    // Works per thread.  Only the plain file functions are redirected; a
    // LoadLibrary made while redirection is off may load the wrong bitness, so
    // callers turn it back on as soon as they have looked at the files.
    if (auto enableRedirection = dynamicCalls().wow64EnableWow64FsRedirection)
        enableRedirection(enable ? TRUE : FALSE);
}

HMODULE kernel32Handle() {
    static HMODULE handle = GetModuleHandleA("kernel32.dll");
    return handle;
}

namespace {

const UINT folderBufferSize = 1024;

// The two directory calls return the length without the zero, or the size
// needed (with the zero) when the buffer is too small: both beyond the buffer
// mean failure here.
String folderFrom(UINT(WINAPI* query)(LPSTR, UINT)) {
    String text = String::reserved(folderBufferSize);
    UINT n = query(text.buffer(), folderBufferSize);
    if (n == 0 || n >= folderBufferSize) return String();
    text.buffer()[n] = 0;
    return text.recomputeLength();
}

}   // namespace

String windowsDirectory() { return folderFrom(GetWindowsDirectoryA); }

String systemDirectory() { return folderFrom(GetSystemDirectoryA); }

namespace {

// Where the shell keeps the folders it knows, for a system without
// SHGetFolderPathA (Windows 95 and NT 4.0 without shfolder.dll).  "Shell
// Folders" holds the paths written out; "User Shell Folders" may hold them
// with variables (%USERPROFILE%) or be the only one with a value.
struct RegistryFolder {
    int csidl;
    bool perUser;   // HKEY_CURRENT_USER, else HKEY_LOCAL_MACHINE
    const char* valueName;
};
const RegistryFolder registryFolders[] = {
    {CSIDL_PERSONAL, true, "Personal"},
    {CSIDL_APPDATA, true, "AppData"},
    {CSIDL_DESKTOPDIRECTORY, true, "Desktop"},
    {CSIDL_PROGRAMS, true, "Programs"},
    {CSIDL_STARTMENU, true, "Start Menu"},
    {CSIDL_FAVORITES, true, "Favorites"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, false, "Common Desktop"},
    {CSIDL_COMMON_PROGRAMS, false, "Common Programs"},
    {CSIDL_COMMON_STARTMENU, false, "Common Start Menu"},
    {CSIDL_COMMON_APPDATA, false, "Common AppData"},
    {CSIDL_COMMON_DOCUMENTS, false, "Common Documents"},
};
const char currentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The value's text with environment variables expanded; "" when it is
// missing or the expansion does not fit.
String expandedRegistryText(HKEY root, const String& keyName, const char* valueName) {
    RegistryKey key(root, KEY_READ);
    if (!key.openSubKey(keyName, false, KEY_READ)) return String();
    const String raw = key.readString(valueName, "");
    if (raw.isEmpty()) return raw;
    String text = String::reserved(folderBufferSize);
    const DWORD n = ExpandEnvironmentStringsA(raw.c_str(), text.buffer(), folderBufferSize);
    if (n == 0 || n > folderBufferSize) return String();
    return text.recomputeLength();
}

// The folder from the registry, only when it names an existing folder (a
// value may outlive its folder); "" for a folder the registry does not name.
String registryFolderPath(int csidl) {
    if (csidl == CSIDL_PROGRAM_FILES) {
        const String path = expandedRegistryText(HKEY_LOCAL_MACHINE, currentVersionKey, "ProgramFilesDir");
        return directoryExists(path) ? path : String();
    }
    for (const RegistryFolder& folder : registryFolders) {
        if (folder.csidl != csidl) continue;
        const HKEY root = folder.perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        for (const char* list : {"Shell Folders", "User Shell Folders"}) {
            const String path = expandedRegistryText(root, String(currentVersionKey) + "\\Explorer\\" + list,
                                                     folder.valueName);
            if (directoryExists(path)) return path;
        }
    }
    return String();
}

}   // namespace

String specialFolderPath(int csidl) {
    auto getFolderPath = dynamicCalls().shGetFolderPathA;
    if (!getFolderPath) return registryFolderPath(csidl & ~CSIDL_FLAG_MASK);
    // SHGetFolderPathA writes at most MAX_PATH characters; the buffer is larger
    // than that anyway.
    String text = String::reserved(folderBufferSize);
    text.buffer()[0] = 0;
    if (FAILED(getFolderPath(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, text.buffer())))
        return String();
    text.buffer()[folderBufferSize - 1] = 0;
    return text.recomputeLength();
}

String environmentValue(const String& name) {
    // The first call asks for the size (with the zero); the value may change
    // between the calls, so retry while it keeps growing.
    DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    while (needed > 0) {
        String text = String::reserved(needed);
        DWORD n = GetEnvironmentVariableA(name.c_str(), text.buffer(), needed);
        if (n == 0) break;
        if (n < needed) {
            text.buffer()[n] = 0;
            return text.recomputeLength();
        }
        needed = n;
    }
    return String();
}

bool removeCurrentDirectoryFromDllSearch() {
    auto setDllDirectory = dynamicCalls().setDllDirectoryA;
    return setDllDirectory && setDllDirectory("") != FALSE;
}
