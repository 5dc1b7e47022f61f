// FileTime: a point in time as the Windows FILETIME count (100-nanosecond
// intervals since 1 January 1601), formatted with the user's locale.  Whether
// the value is universal or local time is up to its user.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"
#include <cstdint>

class FileTime {
public:
    static const uint64_t intervalsPerSecond = 10000000ULL;
    static const uint64_t intervalsPerDay = 864000000000ULL;
    // 1 January 2000, 00:00, the reference for whole seconds.
    static const uint64_t year2000 = 0x01BF53EB256D4000ULL;

    FileTime();   // now, local time
    FileTime(uint32_t low, uint32_t high);
    explicit FileTime(const FILETIME& time);

    uint32_t low() const { return low_; }
    uint32_t high() const { return high_; }
    uint64_t value() const { return (uint64_t)high_ << 32 | low_; }
    FILETIME toFiletime() const;

    // Local time (GetLocalTime) when local is set, else universal time; false
    // when the conversion failed.
    bool setNow(bool local);
    bool toSystemTime(SYSTEMTIME& out) const;
    bool fromSystemTime(const SYSTEMTIME& time);
    bool equals(uint32_t low, uint32_t high) const { return low_ == low && high_ == high; }
    bool equals(const FileTime& other) const { return equals(other.low_, other.high_); }
    bool toLocal();       // FileTimeToLocalFileTime in place
    bool toUniversal();   // LocalFileTimeToFileTime in place

    // GetTimeFormatA / GetDateFormatA with the user's locale; a null format is
    // the user's default time format / short date format.  "" when the call
    // fails.  No universal/local conversion happens here.
    String formatTime(const char* format = nullptr) const;
    String formatDate(const char* format = nullptr) const;

    int64_t secondsSince2000() const;
    void fromSecondsSince2000(uint32_t seconds);
    // With the flag set, midnight of the same day; else the value unchanged.
    FileTime dayStart(bool toMidnight) const;

private:
    void setValue(uint64_t value) {
        low_ = (uint32_t)value;
        high_ = (uint32_t)(value >> 32);
    }
    uint32_t low_;
    uint32_t high_;
};
