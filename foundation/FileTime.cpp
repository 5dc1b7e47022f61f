#include "foundation/FileTime.h"

FileTime::FileTime() : low_(0), high_(0) { setNow(true); }

FileTime::FileTime(uint32_t low, uint32_t high) : low_(low), high_(high) {}

FileTime::FileTime(const FILETIME& time) : low_(time.dwLowDateTime), high_(time.dwHighDateTime) {}

FILETIME FileTime::toFiletime() const {
    FILETIME time;
    time.dwLowDateTime = low_;
    time.dwHighDateTime = high_;
    return time;
}

bool FileTime::setNow(bool local) {
    SYSTEMTIME now;
    if (local)
        GetLocalTime(&now);
    else
        GetSystemTime(&now);
    return fromSystemTime(now);
}

bool FileTime::toSystemTime(SYSTEMTIME& out) const {
    const FILETIME time = toFiletime();
    return FileTimeToSystemTime(&time, &out) != FALSE;
}

bool FileTime::fromSystemTime(const SYSTEMTIME& time) {
    FILETIME converted;
    if (!SystemTimeToFileTime(&time, &converted)) return false;
    low_ = converted.dwLowDateTime;
    high_ = converted.dwHighDateTime;
    return true;
}

bool FileTime::toLocal() {
    const FILETIME universal = toFiletime();
    FILETIME local;
    if (!FileTimeToLocalFileTime(&universal, &local)) return false;
    *this = FileTime(local);
    return true;
}

bool FileTime::toUniversal() {
    const FILETIME local = toFiletime();
    FILETIME universal;
    if (!LocalFileTimeToFileTime(&local, &universal)) return false;
    *this = FileTime(universal);
    return true;
}

namespace {

typedef int(WINAPI* LocaleFormatter)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

// Both locale calls first answer the length they need (with the zero), then
// fill the buffer and answer the characters written (with the zero).
String formatWith(LocaleFormatter format, const FileTime& value, const char* picture) {
    SYSTEMTIME time;
    if (!value.toSystemTime(time)) return String();
    int needed = format(LOCALE_USER_DEFAULT, 0, &time, picture, nullptr, 0);
    if (needed < 1 || needed >= 0x10000) return String();
    String text = String::reserved((size_t)needed);
    int written = format(LOCALE_USER_DEFAULT, 0, &time, picture, text.buffer(), needed);
    if (written < 1 || written > needed) return String();
    text.buffer()[written - 1] = 0;
    return text.recomputeLength();
}

}   // namespace

String FileTime::formatTime(const char* format) const { return formatWith(GetTimeFormatA, *this, format); }

String FileTime::formatDate(const char* format) const { return formatWith(GetDateFormatA, *this, format); }

int64_t FileTime::secondsSince2000() const {
    return ((int64_t)value() - (int64_t)year2000) / (int64_t)intervalsPerSecond;
}

void FileTime::fromSecondsSince2000(uint32_t seconds) {
    setValue((uint64_t)seconds * intervalsPerSecond + year2000);
}

FileTime FileTime::dayStart(bool toMidnight) const {
    FileTime result = *this;
    if (toMidnight) result.setValue(value() - value() % intervalsPerDay);
    return result;
}
