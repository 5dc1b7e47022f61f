// A small run of the benchmark's tools: the generator makes the tree it
// promises, and the reference walk finds every file and asks every plug-in.
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Q8_BIN_DIR is a Unix path; Wine shows the Unix root as drive Z:.
std::string binFolder() {
    const char* unix = std::getenv("Q8_BIN_DIR");
    std::string path = std::string("Z:") + (unix ? unix : "");
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string run(const std::string& commandLine, DWORD* exitCode) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    std::string output;
    *exitCode = 99;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    if (writeEnd) CloseHandle(writeEnd);
    CloseHandle(readEnd);
    return output;
}

void countTree(const std::string& folder, unsigned& files, unsigned& folders, unsigned& depth,
               unsigned level) {
    if (level > depth) depth = level;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (data.cFileName[0] == '.') continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++folders;
            countTree(folder + "\\" + data.cFileName, files, folders, depth, level + 1);
        } else {
            ++files;
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (data.cFileName[0] == '.') continue;
            const std::string path = folder + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

TEST(BenchTools, GeneratedTreeHasNFilesAndTheReferenceWalksThemAll) {
    const std::string bin = binFolder();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "q8-bench-test";
    removeTree(work);
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    const std::string templates = work + "\\templates";
    CreateDirectoryA(templates.c_str(), nullptr);
    const struct {
        const char* from;
        const char* to;
    } parts[] = {
        {"\\plugins\\q8plugin_text0.dll", "plugin1.dll"}, {"\\plugins\\q8plugin_text5.dll", "plugin2.dll"},
        {"\\plugins\\q8plugin_none.dll", "plain1.dll"},   {"\\plugins\\q8plugin_helper.dll", "library1.dll"},
        {"\\bench\\bench-window.exe", "program1.exe"},
    };
    for (const auto& part : parts)
        ASSERT_TRUE(CopyFileA((bin + part.from).c_str(), (templates + "\\" + part.to).c_str(), FALSE))
            << part.from;

    DWORD exitCode = 0;
    const std::string tree = work + "\\N100";
    const std::string made = run(
        "\"" + bin + "\\bench\\bench-generate.exe\" \"" + tree + "\" 100 \"" + templates + "\"", &exitCode);
    ASSERT_EQ(exitCode, 0u) << made;
    unsigned files = 0, folders = 0, depth = 0, plugins = 0;
    countTree(tree, files, folders, depth, 0);
    EXPECT_EQ(files, 100u);
    EXPECT_GE(folders, 3u);
    EXPECT_GE(depth, 2u) << "nested folders";
    ASSERT_EQ(std::sscanf(made.c_str(), "%*u files in %*u folders: %u plug-ins", &plugins), 1) << made;
    EXPECT_GT(plugins, 0u);

    // The same size gives the same tree; an existing root is refused.
    const std::string again =
        run("\"" + bin + "\\bench\\bench-generate.exe\" \"" + work + "\\again\" 100 \"" + templates + "\"",
            &exitCode);
    EXPECT_EQ(again, made);
    run("\"" + bin + "\\bench\\bench-generate.exe\" \"" + tree + "\" 100 \"" + templates + "\"", &exitCode);
    EXPECT_NE(exitCode, 0u);

    const std::string walked =
        run("\"" + bin + "\\bench\\bench-reference.exe\" \"" + tree + "\" \"" + work + "\\reference.log\"",
            &exitCode);
    ASSERT_EQ(exitCode, 0u) << walked;
    unsigned walkedFiles = 0, answered = 0;
    ASSERT_EQ(std::sscanf(walked.c_str(), "%u files, %u plug-ins answered", &walkedFiles, &answered), 2)
        << walked;
    EXPECT_EQ(walkedFiles, 100u);
    EXPECT_EQ(answered, plugins);
    removeTree(work);
}

}   // namespace
