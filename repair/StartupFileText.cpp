#include "repair/StartupFileText.h"

std::string pluginPathSetLine(const std::string& path) { return "SET ZQT_PLUGIN_PATH=" + path; }

std::string rewriteStartupFileText(const std::string& oldText, const std::string& path) {
    size_t end = oldText.size();
    while (end > 0 && oldText[end - 1] == '\x1a') --end;
    const std::string endMarks = oldText.substr(end);

    std::string result;
    result.reserve(end + path.size() + 32);
    bool lastLineOpen = false;   // the last kept line has no line break
    size_t start = 0;
    while (start < end) {
        size_t contentEnd = start;
        while (contentEnd < end && oldText[contentEnd] != '\r' && oldText[contentEnd] != '\n') ++contentEnd;
        size_t lineEnd = contentEnd;
        if (lineEnd < end && oldText[lineEnd] == '\r') ++lineEnd;
        if (lineEnd < end && oldText[lineEnd] == '\n') ++lineEnd;
        const std::string content = oldText.substr(start, contentEnd - start);
        if (content.find("ZQT_PLUGIN_PATH") == std::string::npos) {
            result.append(oldText, start, lineEnd - start);
            lastLineOpen = lineEnd == contentEnd;
        }
        start = lineEnd;
    }
    if (lastLineOpen) result += "\r\n";
    result += pluginPathSetLine(path) + "\r\n";
    result += endMarks;
    return result;
}
