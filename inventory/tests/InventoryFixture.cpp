#include "inventory/tests/InventoryFixture.h"

#include "foundation/TextList.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>

namespace {

// wine_get_unix_file_name exists only in Wine's kernel32.
std::string unixPathOf(const std::string& path) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) return "";
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    std::string result = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Under Wine a process can start a Unix program directly; its arguments are
// split by the Windows command-line rules.  Wine does not pass the Unix exit
// code on and may return before the program has finished, so callers look at
// the result in the file system instead.
bool runUnix(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool waitUntil(bool (*condition)(const std::string&), const std::string& path) {
    for (int i = 0; i < 250; ++i) {
        if (condition(path)) return true;
        Sleep(20);
    }
    return false;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool missing(const std::string& path) { return !exists(path); }

}   // namespace

TestInstallation::~TestInstallation() {
    // Neither DeleteFileA nor RemoveDirectoryA removes a Unix link to a folder.
    for (const auto& link : links_) {
        runUnix("/bin/rm -f \"" + link.second + "\"");
        waitUntil(missing, link.first);
    }
    // Another process may still have a file open for a moment (the shell's
    // menu builder reads a freshly saved shortcut): a file left behind would
    // show up in the next test's report, so wait for it to go.
    for (auto it = files_.rbegin(); it != files_.rend(); ++it)
        waitUntil([](const std::string& path) { return DeleteFileA(path.c_str()) || missing(path); }, *it);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryA(it->c_str());
    // A link key is removed by handle: RegDeleteKeyA would follow the link.
    typedef LONG(WINAPI * DeleteKeyByHandle)(HANDLE);
    DeleteKeyByHandle deleteKey = reinterpret_cast<DeleteKeyByHandle>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    for (const auto& link : registryLinks_) {
        HKEY h = nullptr;
        if (deleteKey && RegOpenKeyExA(link.first, link.second.c_str(), REG_OPTION_OPEN_LINK, DELETE, &h) ==
                             ERROR_SUCCESS) {
            deleteKey(h);
            RegCloseKey(h);
        }
    }
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) RegDeleteKeyA(it->first, it->second.c_str());
}

void TestInstallation::danglingRegistryLink(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return;
    registryLinks_.push_back({root, key});
    const wchar_t target[] = L"\\Registry\\Machine\\Software\\Q8NoSuchKey";
    RegSetValueExW(h, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                   sizeof target - sizeof(wchar_t));
    RegCloseKey(h);
}

void TestInstallation::folder(const std::string& path) {
    for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1)) {
        const std::string part = path.substr(0, at);
        if (CreateDirectoryA(part.c_str(), nullptr)) folders_.push_back(part);
        if (at == std::string::npos) break;
    }
}

void TestInstallation::file(const std::string& path, const std::string& content) {
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(h);
    files_.push_back(path);
}

void TestInstallation::registryKey(HKEY root, const std::string& key) {
    // Remember every level that did not exist yet, so that removing them in
    // reverse order leaves the registry as it was.
    for (size_t at = key.find('\\');; at = key.find('\\', at + 1)) {
        const std::string part = key.substr(0, at);
        HKEY h = nullptr;
        if (RegOpenKeyExA(root, part.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
            RegCloseKey(h);
        } else if (RegCreateKeyExA(root, part.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) ==
                   ERROR_SUCCESS) {
            RegCloseKey(h);
            keys_.push_back({root, part});
        }
        if (at == std::string::npos) break;
    }
}

void TestInstallation::registryString(HKEY root, const std::string& key, const std::string& name,
                                      const std::string& value) {
    registryKey(root, key);
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
        RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD(value.size() + 1));
        RegCloseKey(h);
    }
}

void TestInstallation::registryDword(HKEY root, const std::string& key, const std::string& name,
                                     DWORD value) {
    registryKey(root, key);
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) == ERROR_SUCCESS) {
        RegSetValueExA(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(h);
    }
}

void TestInstallation::shortcut(const std::string& path, const std::string& target,
                                const std::string& workingFolder) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        link->SetWorkingDirectory(workingFolder.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Save(wide, TRUE))) files_.push_back(path);
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
}

bool TestInstallation::unixSymlink(const std::string& link, const std::string& target) {
    const std::string unixLink = unixPathOf(link);
    const std::string unixTarget = unixPathOf(target);
    if (unixLink.empty() || unixTarget.empty()) return false;
    // -n -f: a link left over from an interrupted run is replaced, not entered.
    if (!runUnix("/bin/ln -sfn \"" + unixTarget + "\" \"" + unixLink + "\"")) return false;
    links_.push_back({link, unixLink});
    return waitUntil(exists, link);
}

std::string specialFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

std::string windowsFolder() {
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string systemFolder() {
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

std::string upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string shortPathOf(const std::string& path) {
    char buffer[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return buffer;
}

std::vector<std::string> sectionAfter(const std::vector<std::string>& lines, const std::string& heading) {
    std::vector<std::string> section;
    auto it = std::find(lines.begin(), lines.end(), heading);
    if (it == lines.end()) return section;
    for (++it; it != lines.end() && !it->empty(); ++it) section.push_back(*it);
    return section;
}
