// bench-generate: a synthetic installation of the receiver software with N
// files, for measuring how a report's cost grows with the installation.
//
//   bench-generate ROOT N TEMPLATES
//
// ROOT is made (it must not exist yet).  TEMPLATES holds the built images the
// installation is made of:
//   plugin*.dll    ZQT plug-ins (export zqtPluginInit, answer with a name)
//   library*.dll   libraries with a version resource
//   program*.exe   programs with a version resource
//   plain*.dll     libraries without a version resource
// The mix per 100 files: 2 plug-ins, 12 versioned libraries, 3 programs,
// 3 plain libraries and 80 data files (settings, lists, logs, recordings) of
// 100 bytes to 16 KiB, spread over nested folders of 20 to 60 files each.
//
// Plug-ins are real copies: the report loads each one, and Windows (and
// Wine) treat two names of the same file as one module.  The other images
// are only read, so they are hard links, which keeps 50 000 files cheap on
// disk; a file system without hard links gets copies.
//
// The sequence is fixed (own generator, fixed seed), so the same N always
// gives the same tree.
#include "foundation/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

struct Random {
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    unsigned next(unsigned range) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return unsigned(state >> 33) % range;
    }
};

std::vector<std::string> templatesMatching(const std::string& folder, const char* pattern) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.push_back(folder + "\\" + data.cFileName);
    } while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
}

std::string numbered(const char* stem, unsigned number, const char* extension) {
    char text[128];
    std::snprintf(text, sizeof text, "%s%04u%s", stem, number, extension);
    return text;
}

bool writeData(const std::string& path, unsigned size, Random& random) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    text.reserve(size);
    static const char* const words[] = {"Frequency", "=",   "9420000", "Mode", "AM",     "Bandwidth",
                                        "6000",      "AGC", "Slow",    ";",    "Memory", "\r\n"};
    while (text.size() < size) {
        text += words[random.next(12)];
        text += ' ';
    }
    text.resize(size);
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

bool placeImage(const std::string& source, const std::string& target, bool copy) {
    if (!copy && CreateHardLinkA(target.c_str(), source.c_str(), nullptr)) return true;
    return CopyFileA(source.c_str(), target.c_str(), TRUE) != 0;
}

}   // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench-generate ROOT N TEMPLATES\n");
        return 2;
    }
    const std::string root = argv[1];
    const unsigned total = unsigned(std::strtoul(argv[2], nullptr, 10));
    const std::string templates = argv[3];
    const std::vector<std::string> plugins = templatesMatching(templates, "plugin*.dll");
    const std::vector<std::string> libraries = templatesMatching(templates, "library*.dll");
    const std::vector<std::string> programs = templatesMatching(templates, "program*.exe");
    const std::vector<std::string> plain = templatesMatching(templates, "plain*.dll");
    if (plugins.empty() || libraries.empty() || programs.empty() || plain.empty()) {
        std::fprintf(stderr,
                     "bench-generate: %s lacks plugin*.dll, library*.dll, program*.exe or plain*.dll\n",
                     templates.c_str());
        return 1;
    }
    if (!CreateDirectoryA(root.c_str(), nullptr)) {
        std::fprintf(stderr, "bench-generate: cannot make %s (error %lu)\n", root.c_str(), GetLastError());
        return 1;
    }

    static const char* const folderNames[] = {"Plugins",  "Presets", "Skins",      "Bands",
                                              "Memories", "Logs",    "Recordings", "Help",
                                              "Lang",     "Filters", "Scopes",     "Data"};
    static const char* const dataKinds[][2] = {{"Settings", ".ini"}, {"Memories", ".csv"}, {"ReadMe", ".txt"},
                                               {"Session", ".log"},  {"Band", ".dat"},     {"Clip", ".wav"}};
    Random random;
    std::deque<std::string> folders{root};
    unsigned made = 0, folderCount = 1;
    unsigned counts[5] = {};
    while (made < total) {
        const std::string folder = folders.front();
        folders.pop_front();
        const unsigned here = std::min(total - made, 20 + random.next(41));
        for (unsigned i = 0; i < here; ++i, ++made) {
            const unsigned kind = random.next(100);
            bool ok;
            if (kind < 2) {
                ok = placeImage(plugins[random.next(unsigned(plugins.size()))],
                                folder + "\\" + numbered("ZQT_Plugin", made, ".dll"), true);
                ++counts[0];
            } else if (kind < 14) {
                ok = placeImage(libraries[random.next(unsigned(libraries.size()))],
                                folder + "\\" + numbered("Module", made, ".dll"), false);
                ++counts[1];
            } else if (kind < 17) {
                ok = placeImage(programs[random.next(unsigned(programs.size()))],
                                folder + "\\" + numbered("Tool", made, ".exe"), false);
                ++counts[2];
            } else if (kind < 20) {
                ok = placeImage(plain[random.next(unsigned(plain.size()))],
                                folder + "\\" + numbered("Helper", made, ".dll"), false);
                ++counts[3];
            } else {
                const auto& data = dataKinds[random.next(6)];
                ok = writeData(folder + "\\" + numbered(data[0], made, data[1]), 100 + random.next(16284),
                               random);
                ++counts[4];
            }
            if (!ok) {
                std::fprintf(stderr, "bench-generate: cannot write file %u in %s (error %lu)\n", made,
                             folder.c_str(), GetLastError());
                return 1;
            }
        }
        // Three to five sub-folders each, filled breadth first: the tree gets
        // deeper as it grows, as a long-used installation does.
        const unsigned children = 3 + random.next(3);
        for (unsigned c = 0; c < children && made < total; ++c) {
            const std::string child =
                folder + "\\" + numbered(folderNames[random.next(12)], folderCount++, "");
            if (!CreateDirectoryA(child.c_str(), nullptr)) {
                std::fprintf(stderr, "bench-generate: cannot make %s (error %lu)\n", child.c_str(),
                             GetLastError());
                return 1;
            }
            folders.push_back(child);
        }
    }
    std::printf(
        "%u files in %u folders: %u plug-ins, %u versioned libraries, %u programs, "
        "%u plain libraries, %u data files\n",
        made, folderCount, counts[0], counts[1], counts[2], counts[3], counts[4]);
    return 0;
}
