#include "toolkit/CommandLine.h"

#include <string>

namespace {
constexpr size_t maximumArgument = 4095;

// Bytes 0x80-0xFF are ordinary characters (accented letters in ANSI paths),
// so every test looks at the byte as unsigned.
inline unsigned byteAt(const char* p) { return static_cast<unsigned char>(*p); }
inline bool isSeparator(const char* p) { return byteAt(p) >= 1 && byteAt(p) <= 32; }
}   // namespace

const char* nextArgument(const char* position, String& argument) {
    argument = String();
    if (!position) return position;
    for (;;) {
        while (isSeparator(position)) ++position;
        if (position[0] == '"' && position[1] == '"') {
            position += 2;
            continue;
        }
        break;
    }
    // Collected in a std::string first: String grows by exactly what each
    // append needs, so appending a 4095-character argument one character at
    // a time would copy it over and over.
    std::string text;
    size_t copied = 0;
    while (*position && !isSeparator(position) && copied < maximumArgument) {
        if (*position == '"') {
            ++position;
            while (*position && *position != '"' && copied < maximumArgument) {
                text += *position++;
                ++copied;
            }
            if (*position == '"') ++position;
            continue;
        }
        text += *position++;
        ++copied;
    }
    argument = String(text.data(), text.size());
    return position;
}

String commandLineArgument(const char* commandLine, int n) {
    if (n < 0) return String();
    String argument;
    const char* position = commandLine;
    for (int i = 0; i <= n; ++i) {
        position = nextArgument(position, argument);
        if (argument.isEmpty()) return String();
    }
    return argument;
}

int commandLineArgumentCount(const char* commandLine) {
    int count = 0;
    String argument;
    const char* position = commandLine;
    for (;;) {
        position = nextArgument(position, argument);
        if (argument.isEmpty()) return count;
        ++count;
    }
}
