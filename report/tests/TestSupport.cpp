#include "report/tests/TestSupport.h"

#include <gtest/gtest.h>

namespace {

HANDLE createScratchFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string uniqueScratchFile() {
    static int counter = 0;
    return scratchDirectory() + "\\out" + std::to_string(++counter) + ".txt";
}

}   // namespace

std::string captureStandardOutput(const std::function<void()>& fn) {
    const std::string path = uniqueScratchFile();
    HANDLE file = createScratchFile(path);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, file);
    fn();
    SetStdHandle(STD_OUTPUT_HANDLE, previous);
    CloseHandle(file);
    return readWholeFile(path);
}

std::string runCaptured(const std::string& commandLine, DWORD timeoutMilliseconds) {
    const std::string path = uniqueScratchFile();
    HANDLE file = createScratchFile(path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
        CloseHandle(file);
        return std::string();
    }
    if (WaitForSingleObject(process.hProcess, timeoutMilliseconds) != WAIT_OBJECT_0) {
        ADD_FAILURE() << commandLine << " did not finish";
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(file);
    return readWholeFile(path);
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            ADD_FAILURE() << "text does not end in CR LF: ..." << text.substr(start);
            lines.push_back(text.substr(start));
            break;
        }
        if (lf == start || text[lf - 1] != '\r') {
            ADD_FAILURE() << "line feed without carriage return after: " << text.substr(start, lf - start);
            lines.push_back(text.substr(start, lf - start));
        } else {
            lines.push_back(text.substr(start, lf - 1 - start));
        }
        start = lf + 1;
    }
    return lines;
}

std::string readWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], (DWORD)bytes.size(), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
}

bool pathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string programDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string text(path);
    return text.substr(0, text.rfind('\\'));
}

std::string scratchDirectory() {
    static std::string directory;
    if (directory.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        directory = std::string(temp) + "q8test" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(directory.c_str(), nullptr);
    }
    return directory;
}

std::string digitsMasked(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (out.empty() || out.back() != '#') out += '#';
        } else {
            out += c;
        }
    }
    return out;
}
