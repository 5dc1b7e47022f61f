// A host process for the exported silent report: loads Q8diag.exe with
// LoadLibraryA the way other programs do and calls its export; the report
// arrives on this process's standard output.
//
//   silent_host <path of Q8diag.exe> [moved] [twice]
//     moved: reserve the executable's preferred base first, so the loader
//            has to put the image elsewhere
//     twice: call the export a second time (nothing may be done twice)
// Exit code: the sum of the export's results (1 per call), or 100 + a
// failure step (106: the export left a window of its own behind).
#include "foundation/Win32.h"

#include <cstdio>
#include <cstring>

namespace {

DWORD preferredBase(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    unsigned char header[4096];
    DWORD read = 0;
    ReadFile(file, header, sizeof(header), &read, nullptr);
    CloseHandle(file);
    if (read < sizeof(IMAGE_DOS_HEADER)) return 0;
    const LONG offset = reinterpret_cast<IMAGE_DOS_HEADER*>(header)->e_lfanew;
    if (offset <= 0 || offset + sizeof(IMAGE_NT_HEADERS32) > read) return 0;
    return reinterpret_cast<IMAGE_NT_HEADERS32*>(header + offset)->OptionalHeader.ImageBase;
}

// What the loader left for the export to do, for the log: whether the first
// import slot still holds its name and whether the in-memory header still
// names the preferred base although the image sits elsewhere.
void describeLoaderWork(HMODULE module) {
    char* base = reinterpret_cast<char*>(module);
    IMAGE_NT_HEADERS32* nt =
        reinterpret_cast<IMAGE_NT_HEADERS32*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_IMPORT_DESCRIPTOR* first =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    const DWORD slot = *reinterpret_cast<const DWORD*>(base + first->FirstThunk);
    const DWORD name = *reinterpret_cast<const DWORD*>(base + first->OriginalFirstThunk);
    std::fprintf(stderr, "loader: imports %s, image at %p, header base %08lx\n",
                 slot == name ? "unresolved" : "resolved", static_cast<void*>(base),
                 static_cast<unsigned long>(nt->OptionalHeader.ImageBase));
}

struct LeftWindows {
    HMODULE exporter;
    int count;
};

BOOL CALLBACK countWindow(HWND window, LPARAM context) {
    LeftWindows* left = reinterpret_cast<LeftWindows*>(context);
    // Windows the system makes for any thread (the input method's, say) carry
    // another instance; the export's windows carry its image's.
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) != left->exporter) return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    std::fprintf(stderr, "window left behind: class %s\n", name);
    ++left->count;
    return TRUE;
}

// Top-level windows on the host's thread that the export made and left (a
// tooltip window, say).
int windowsLeftOnThisThread(HMODULE exporter) {
    LeftWindows left{exporter, 0};
    EnumThreadWindows(GetCurrentThreadId(), &countWindow, reinterpret_cast<LPARAM>(&left));
    return left.count;
}

}   // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 101;
    bool moved = false, twice = false;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "moved")) moved = true;
        if (!std::strcmp(argv[i], "twice")) twice = true;
    }
    void* blocker = nullptr;
    if (moved) {
        const DWORD base = preferredBase(argv[1]);
        blocker = VirtualAlloc(reinterpret_cast<void*>(base), 0x10000, MEM_RESERVE, PAGE_NOACCESS);
        if (!blocker) return 102;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) return 103;
    if (moved && reinterpret_cast<DWORD>(module) == preferredBase(argv[1])) return 104;
    describeLoaderWork(module);
    typedef int(__stdcall * Export)();
    Export report = reinterpret_cast<Export>(GetProcAddress(module, "_GenerateSilentReport@0"));
    if (!report) return 105;
    int total = report();
    if (twice) total += report();
    if (int left = windowsLeftOnThisThread(module)) {
        std::fprintf(stderr, "the export left %d window(s) behind\n", left);
        return 106;
    }
    std::fprintf(stderr, "loaded at %p, result %d\n", static_cast<void*>(module), total);
    return total;
}
