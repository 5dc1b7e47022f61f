// The Windows-side steps of the demo installation (scripts/demo-install), the
// ones a shell script cannot do from outside Wine:
//
//   demo-setup folders
//       prints NAME=PATH for every folder an installer needs, as Windows
//       itself reports them (the user name and the folder layout differ
//       between Wine versions and Windows releases, so nothing is guessed)
//   demo-setup shortcut LINK TARGET WORKINGDIR DESCRIPTION
//       writes a .lnk file through the Shell's own shell-link object
//   demo-setup soundcard FILE KEY WAVE MIXER LINE [KEY WAVE MIXER LINE ...]
//       writes a sound-card configuration file, one 136-byte record per
//       receiver (KEY in hexadecimal)
//
// Exit code 0 on success, 1 on failure (with a message on standard error).
#include "foundation/Win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "demo-setup: %s (error %lu)\n", what, GetLastError());
    return 1;
}

int printFolders() {
    struct Folder {
        const char* name;
        int csidl;
    };
    static const Folder folders[] = {
        {"programfiles", CSIDL_PROGRAM_FILES},
        {"system", CSIDL_SYSTEM},
        {"windows", CSIDL_WINDOWS},
        {"appdata", CSIDL_APPDATA},
        {"documents", CSIDL_PERSONAL},
        {"desktop", CSIDL_DESKTOPDIRECTORY},
        {"commondesktop", CSIDL_COMMON_DESKTOPDIRECTORY},
        {"programs", CSIDL_PROGRAMS},
        {"commonprograms", CSIDL_COMMON_PROGRAMS},
    };
    for (const Folder& folder : folders) {
        char path[MAX_PATH] = "";
        // CSIDL_FLAG_CREATE: a fresh prefix may not have made every folder yet.
        if (FAILED(SHGetFolderPathA(nullptr, folder.csidl | CSIDL_FLAG_CREATE, nullptr, 0, path)))
            return fail(folder.name);
        std::printf("%s=%s\n", folder.name, path);
    }
    return 0;
}

int writeShortcut(const char* linkPath, const char* target, const char* workingDirectory,
                  const char* description) {
    if (FAILED(CoInitialize(nullptr))) return fail("CoInitialize");
    int result = 1;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target);
        link->SetWorkingDirectory(workingDirectory);
        link->SetDescription(description);
        link->SetIconLocation(target, 0);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t widePath[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) > 0 &&
                SUCCEEDED(file->Save(widePath, TRUE)))
                result = 0;
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return result == 0 ? 0 : fail(linkPath);
}

// One record: receiver key, data length (always 128), then the wave device,
// mixer device and mixer line names in fixed fields of 32, 32 and 64 bytes,
// the sizes of the multimedia API's device-name and long mixer-name fields.
int writeSoundCardFile(const char* path, int count, char** fields) {
    if (count == 0 || count % 4 != 0) return fail("soundcard wants KEY WAVE MIXER LINE groups");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(path);
    bool written = true;
    for (int i = 0; i < count; i += 4) {
        unsigned char record[136] = {};
        const unsigned long key = std::strtoul(fields[i], nullptr, 16);
        const unsigned long length = 128;
        for (int b = 0; b < 4; ++b) {
            record[b] = static_cast<unsigned char>(key >> (8 * b));
            record[4 + b] = static_cast<unsigned char>(length >> (8 * b));
        }
        lstrcpynA(reinterpret_cast<char*>(record + 8), fields[i + 1], 32);
        lstrcpynA(reinterpret_cast<char*>(record + 40), fields[i + 2], 32);
        lstrcpynA(reinterpret_cast<char*>(record + 72), fields[i + 3], 64);
        DWORD done = 0;
        written = written && WriteFile(file, record, sizeof record, &done, nullptr) && done == sizeof record;
    }
    CloseHandle(file);
    return written ? 0 : fail(path);
}

}   // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "folders") == 0) return printFolders();
    if (argc == 6 && std::strcmp(argv[1], "shortcut") == 0)
        return writeShortcut(argv[2], argv[3], argv[4], argv[5]);
    if (argc >= 3 && std::strcmp(argv[1], "soundcard") == 0)
        return writeSoundCardFile(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr,
                 "usage: demo-setup folders\n"
                 "       demo-setup shortcut LINK TARGET WORKINGDIR DESCRIPTION\n"
                 "       demo-setup soundcard FILE KEY WAVE MIXER LINE [KEY WAVE MIXER LINE ...]\n");
    return 2;
}
