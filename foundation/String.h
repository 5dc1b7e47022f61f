// String: the program's one text type.  8-bit ANSI characters, zero-terminated,
// reference-counted with copy-on-write, passed by value.  Every report line is
// a String, and the report's numbers become text through the formatters here.
//
// Portable: no Win32 here.  The two calls that need Windows (long path form,
// wide conversion) live in StringWin32.cpp and are declared at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

class String {
public:
    String();                                  // "" with capacity 1
    String(const char* text);                  // null gives ""
    String(const char* text, size_t length);   // exactly length bytes (zeros kept in the block)
    String(char c, size_t count);              // count copies of c
    static String reserved(size_t n);          // "" with capacity 17 when n < 16, else n + 1
    String(const String& other);
    String& operator=(const String& other);
    String& operator=(const char* text);
    ~String();

    size_t length() const;
    size_t capacity() const;
    const char* c_str() const;
    operator const char*() const { return c_str(); }
    // Writable buffer for system calls that fill text in; makes the block
    // private first.  Call recomputeLength() afterwards.
    char* buffer();
    // Characters at or beyond the capacity yield a shared dummy character.
    // Any integer type is taken as the index: with only a size_t overload, an
    // int index would be ambiguous against the built-in subscript through the
    // const char* conversion (size_t is unsigned int on the 32-bit target).
    // A negative index becomes a huge one and so yields the dummy too.
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    char& operator[](Index index) {
        return charAt(static_cast<size_t>(index));
    }
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    char operator[](Index index) const {
        return charAt(static_cast<size_t>(index));
    }
    char& charAt(size_t index);
    char charAt(size_t index) const;
    // Takes the length from the first zero byte (after a system call wrote the buffer).
    String& recomputeLength();
    // Makes the block private with at least n + 1 bytes (callers about to write n characters).
    void reserve(size_t n);
    int referenceCount() const;   // for tests of the sharing rules

    String operator+(const String& other) const;
    String operator+(const char* text) const;
    friend String operator+(const char* text, const String& s);
    String& operator+=(const String& other);
    String& operator+=(const char* text);
    String& operator+=(char c);
    String& append(const char* text, size_t length);

    // Byte-wise, case-sensitive (strcmp order).
    bool operator==(const String& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const String& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }
    int compare(const String& other) const;
    int compare(const char* text) const;
    bool operator<(const String& other) const { return compare(other) < 0; }
    bool operator>(const String& other) const { return compare(other) > 0; }
    bool operator<=(const String& other) const { return compare(other) <= 0; }
    bool operator>=(const String& other) const { return compare(other) >= 0; }
    bool isEmpty() const { return length() == 0; }

    int find(const char* text, size_t start = 0) const;   // -1 when absent
    String substring(size_t start, size_t count = (size_t)-1) const;
    String& deleteFirst(size_t n);
    String& trim();                    // in place; also returned
    String& padRight(size_t length);   // in place, with spaces
    String upperCase() const;          // only A-Z / a-z change ("C" locale)
    String lowerCase() const;

    // Paths (backslash-separated; no disk access).
    String directoryPart() const;   // before the last backslash, "" when none
    String fileNamePart() const;    // after the last backslash, whole string when none
    String extension() const;       // after the last point, "" when none

    // Number to text.
    static String decimal(int64_t value);
    static String hex(uint64_t value, unsigned minDigits = 0);
    static int32_t parseInteger(const char* text, bool hexadecimal = false);
    static String fixedPoint(double value, unsigned minDecimals, unsigned extraDecimals = 0,
                             bool plusSign = false);
    // Mixed-radix units; the report's sizes use "g1024m1024k1024".
    static String unitPattern(int64_t value, const char* pattern, bool hexadecimal = false);
    static String hexDump(const void* bytes, size_t length, unsigned groupSize);

    // --- Windows only (StringWin32.cpp) ---
    // GetLongPathNameA through the run-time lookup table, or where Windows
    // lacks it (95, NT 4.0) the same built from the path's entries
    // (LongPathForm.h); "" when the path does not exist or the call fails.
    String longPathForm() const;
    // MultiByteToWideChar (MB_PRECOMPOSED) of length + 1 characters into the
    // caller's buffer; returns the characters written, 0 on failure.
    int toWide(wchar_t* buffer, int bufferCharacters, unsigned codePage = 0) const;

    // The shared block (tag, length, capacity, reference count, characters);
    // its layout is private to String.cpp.
    struct Block;

private:
    Block* block_;
    explicit String(Block* block) : block_(block) {}
    void makePrivate(size_t neededCapacity);
    static char dummy_;
};

// A text block that cannot be had (no memory, or beyond 2 GB): never
// returns.  The Windows build raises a structured exception
// (STATUS_NO_MEMORY), so that the program's crash handler tells the user
// where the log is, not the C runtime's abort box; the host build aborts.
[[noreturn]] void stringOutOfMemory();

// Short name for the report's size pattern.
inline String sizeText(int64_t bytes) { return String::unitPattern(bytes, "g1024m1024k1024"); }
