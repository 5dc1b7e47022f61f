#include "foundation/FileTime.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

FileTime at(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    FileTime value(0, 0);
    EXPECT_TRUE(value.fromSystemTime(time));
    return value;
}

TEST(FileTime, SecondsSince2000AndDayStart) {
    FileTime value(1, 1);
    value.fromSecondsSince2000(0);
    EXPECT_EQ(value.value(), 125911584000000000ULL);
    EXPECT_TRUE(value.equals(at(2000, 1, 1)));
    EXPECT_EQ(value.secondsSince2000(), 0);

    struct Row {
        const char* name;
        FileTime time;
        int64_t seconds;
    } rows[] = {
        {"one day and a second later", at(2000, 1, 2, 0, 0, 1), 86401},
        {"one second before", at(1999, 12, 31, 23, 59, 59), -1},
        {"largest unsigned 32-bit input", FileTime(0, 0), 0xFFFFFFFFLL},
    };
    rows[2].time.fromSecondsSince2000(0xFFFFFFFFu);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.time.secondsSince2000(), row.seconds);
    }

    EXPECT_TRUE(at(2000, 1, 1, 12).dayStart(true).equals(at(2000, 1, 1)));
    EXPECT_TRUE(at(2026, 12, 6, 23, 59, 59).dayStart(true).equals(at(2026, 12, 6)));
    EXPECT_TRUE(at(2000, 1, 1, 12).dayStart(false).equals(at(2000, 1, 1, 12)));
}

TEST(FileTime, HalvesAndConversions) {
    const FileTime value(0x256D4000u, 0x01BF53EBu);
    EXPECT_EQ(value.low(), 0x256D4000u);
    EXPECT_EQ(value.high(), 0x01BF53EBu);
    EXPECT_TRUE(value.equals(0x256D4000u, 0x01BF53EBu));
    EXPECT_FALSE(value.equals(0x256D4001u, 0x01BF53EBu));
    SYSTEMTIME time;
    ASSERT_TRUE(value.toSystemTime(time));
    EXPECT_EQ(time.wYear, 2000);
    EXPECT_EQ(time.wMonth, 1);
    EXPECT_EQ(time.wDay, 1);

    FileTime roundTrip = value;
    ASSERT_TRUE(roundTrip.toLocal());
    ASSERT_TRUE(roundTrip.toUniversal());
    EXPECT_TRUE(roundTrip.equals(value));
}

TEST(FileTime, NowIsLocalOrUniversalTime) {
    SYSTEMTIME local, universal;
    GetLocalTime(&local);
    GetSystemTime(&universal);
    FileTime expectedLocal(0, 0), expectedUniversal(0, 0);
    expectedLocal.fromSystemTime(local);
    expectedUniversal.fromSystemTime(universal);

    const FileTime now;
    FileTime setLocal(0, 0), setUniversal(0, 0);
    EXPECT_TRUE(setLocal.setNow(true));
    EXPECT_TRUE(setUniversal.setNow(false));
    const int64_t tolerance = 5;
    EXPECT_LE(std::llabs(now.secondsSince2000() - expectedLocal.secondsSince2000()), tolerance);
    EXPECT_LE(std::llabs(setLocal.secondsSince2000() - expectedLocal.secondsSince2000()), tolerance);
    EXPECT_LE(std::llabs(setUniversal.secondsSince2000() - expectedUniversal.secondsSince2000()), tolerance);
}

TEST(FileTime, LocaleFormatting) {
    const FileTime afternoon = at(2026, 12, 6, 14, 5, 9);
    EXPECT_EQ(afternoon.formatTime("HH':'mm':'ss"), "14:05:09");
    EXPECT_EQ(afternoon.formatDate("dd'/'MM'/'yyyy"), "06/12/2026");

    // The zero value is 1 January 1601, shown in the user's short date format.
    SYSTEMTIME first{};
    first.wYear = 1601;
    first.wMonth = 1;
    first.wDay = 1;
    char expected[128] = {};
    ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &first, nullptr, expected, sizeof expected), 0);
    EXPECT_EQ(FileTime(0, 0).formatDate(nullptr), expected);
    EXPECT_EQ(FileTime(0, 0).formatDate("yyyy-MM-dd"), "1601-01-01");
    EXPECT_FALSE(afternoon.formatTime(nullptr).isEmpty());

    // A value beyond what SYSTEMTIME holds cannot be formatted: empty text.
    const FileTime beyond(0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(beyond.formatDate(nullptr), "");
    EXPECT_EQ(beyond.formatTime(nullptr), "");
}

}   // namespace
