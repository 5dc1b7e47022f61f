// The command line is whatever the starting program passed.  Splitting must
// end, stay inside the text, keep each argument within 4095 characters, and
// agree between the three ways the program reaches the arguments.
#include "toolkit/CommandLine.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exactly the bytes given, terminated: ASan then catches any read past the
    // terminator.
    std::vector<char> line(data, data + size);
    line.push_back(0);
    const char* begin = line.data();
    const char* end = begin + std::strlen(begin);

    std::vector<String> arguments;
    String argument;
    const char* position = begin;
    for (;;) {
        const char* next = nextArgument(position, argument);
        if (next < position || next > end) std::abort();
        if (argument.isEmpty()) break;
        if (next == position) std::abort();   // an argument that consumed nothing would repeat forever
        if (argument.length() > 4095) std::abort();
        arguments.push_back(argument);
        position = next;
    }

    const int count = commandLineArgumentCount(begin);
    if (count != int(arguments.size())) std::abort();
    // Random access re-splits from the start; a sample shows agreement.
    for (int n : {1, count}) {
        const String expected = n < count ? arguments[size_t(n)] : String();
        if (commandLineArgument(begin, n) != expected) std::abort();
    }
    return 0;
}
