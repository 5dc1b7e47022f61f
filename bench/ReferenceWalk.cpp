// bench-reference: the least a report on an installation tree must ask of the
// system, with nothing of the program's own around it.  The benchmark runs it
// on the same tree as the report and compares the two.
//
//   bench-reference ROOT LOGFILE
//   bench-reference ROOT -        the same without the log (what the log costs)
//
// Walks ROOT as the report does (a header line per folder, its files, then
// its sub-folders, in file-system order) and for every file: looks it up by
// a directory search, queries its version, formats its date and time, checks
// its exports for zqtPluginInit, loads and asks a plug-in for its name, and
// appends one line to LOGFILE (opened and closed per line, as the report's
// log is).  Prints the number of files and plug-ins.
#include "foundation/Win32.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef int(__stdcall* PluginInit)(int, const char*, char*, int);
const char* const hostTexts[6] = {"ZNQ8 Receiver Control", "ZNQ8 Spectrum Scope", "ZNQ8 Scanner",
                                  "ZNQ8 Recorder",         "Q8 Remote Server",    "Q8diag"};

unsigned files = 0, plugins = 0;

void appendLog(const char* logFile, const std::string& line) {
    if (std::strcmp(logFile, "-") == 0) return;
    HANDLE log = CreateFileA(logFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    SetFilePointer(log, 0, nullptr, FILE_END);
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(log, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(log);
}

// Bounds-checked walk over a mapped image's headers and export names.
bool exportsPluginInit(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool found = false;
    HANDLE mapping = size >= 64 ? CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
    const BYTE* base =
        mapping ? static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    if (base) {
        auto fits = [size](DWORD offset, DWORD length) { return offset <= size && length <= size - offset; };
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const DWORD ntOffset = DWORD(dos->e_lfanew);
        if (dos->e_magic == IMAGE_DOS_SIGNATURE && fits(ntOffset, sizeof(IMAGE_NT_HEADERS32))) {
            const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + ntOffset);
            const DWORD sectionsAt =
                ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
            const unsigned sectionCount = nt->FileHeader.NumberOfSections;
            if (nt->Signature == IMAGE_NT_SIGNATURE && nt->OptionalHeader.NumberOfRvaAndSizes > 0 &&
                fits(sectionsAt, sectionCount * sizeof(IMAGE_SECTION_HEADER))) {
                const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(base + sectionsAt);
                auto fileOffset = [&](DWORD rva, DWORD& offset) {
                    for (unsigned s = 0; s < sectionCount; ++s) {
                        const DWORD start = sections[s].VirtualAddress;
                        if (rva >= start && rva - start < sections[s].SizeOfRawData) {
                            offset = sections[s].PointerToRawData + (rva - start);
                            return true;
                        }
                    }
                    return false;
                };
                const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[0];
                DWORD at = 0;
                if (directory.Size != 0 && fileOffset(directory.VirtualAddress, at) &&
                    fits(at, sizeof(IMAGE_EXPORT_DIRECTORY))) {
                    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + at);
                    DWORD names = 0;
                    if (fileOffset(exports->AddressOfNames, names) &&
                        fits(names, exports->NumberOfNames * 4)) {
                        for (DWORD i = 0; i < exports->NumberOfNames && !found; ++i) {
                            DWORD name = 0;
                            const DWORD rva = reinterpret_cast<const DWORD*>(base + names)[i];
                            if (fileOffset(rva, name) && fits(name, 14))
                                found = std::memcmp(base + name, "zqtPluginInit", 14) == 0;
                        }
                    }
                }
            }
        }
        UnmapViewOfFile(base);
    }
    if (mapping) CloseHandle(mapping);
    CloseHandle(file);
    return found;
}

std::string describe(const std::string& path, const char* name) {
    std::string line = std::string(name) + ": ";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return line;
    FindClose(search);
    ++files;
    char text[1100];
    std::snprintf(text, sizeof text, "%lu, ", found.nFileSizeLow);
    line += text;

    DWORD ignored = 0;
    const DWORD versionSize = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (versionSize != 0) {
        std::vector<char> block(versionSize);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT infoSize = 0;
        if (GetFileVersionInfoA(path.c_str(), 0, versionSize, block.data()) &&
            VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) && info) {
            std::snprintf(text, sizeof text, "ver. %lu.%lu, ", info->dwFileVersionMS >> 16,
                          info->dwFileVersionMS & 0xFFFF);
            line += text;
        }
    }
    SYSTEMTIME time;
    FileTimeToSystemTime(&found.ftLastWriteTime, &time);
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 64)) line += text;
    line += ' ';
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, 64)) line += text;

    if (exportsPluginInit(path)) {
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        PluginInit init = module ? reinterpret_cast<PluginInit>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "zqtPluginInit")))
                                 : nullptr;
        for (int k = 0; init && k < 6; ++k) {
            char nameBuffer[1024] = {};
            if (init(256, hostTexts[k], nameBuffer, 1024)) {
                ++plugins;
                line += std::string("  \"") + nameBuffer + "\" ";
                break;
            }
        }
    }
    return line;
}

void walk(const std::string& directory, int indent, const char* logFile) {
    appendLog(logFile, std::string(size_t(indent), ' ') + "[" + directory + "]");
    std::vector<std::string> folders;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::string fileIndent(size_t(indent + 5), ' ');
    std::vector<std::string> names;
    do {
        if (data.cFileName[0] == '.') continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(data.cFileName);
        else
            names.push_back(data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    for (const std::string& name : names)
        appendLog(logFile, fileIndent + describe(directory + "\\" + name, name.c_str()));
    for (const std::string& folder : folders) walk(directory + "\\" + folder, indent + 5, logFile);
}

}   // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-reference ROOT LOGFILE\n");
        return 2;
    }
    if (std::strcmp(argv[2], "-") != 0) DeleteFileA(argv[2]);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const DWORD start = GetTickCount();
    walk(argv[1], 0, argv[2]);
    std::printf("%u files, %u plug-ins answered, %.3f s\n", files, plugins,
                (GetTickCount() - start) / 1000.0);
    return 0;
}
