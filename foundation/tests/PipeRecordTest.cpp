#include "foundation/PipeRecord.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string text(const String& s) { return std::string(s.c_str(), s.length()); }

TEST(PipeRecord, EscapesEveryByteThatWouldBreakTheFraming) {
    struct Row {
        const char* name;
        std::string payload;
        std::string record;
    } rows[] = {
        {"plain", "   Mixer #0 = Speakers", "L   Mixer #0 = Speakers\n"},
        {"empty", "", "L\n"},
        {"backslash of a path", "C:\\ZQT\\a.dll", "LC:\\\\ZQT\\\\a.dll\n"},
        {"line ends from a device name", "a\r\nb", "La\\r\\nb\n"},
        {"zero inside", std::string("x\0y", 3), "Lx\\0y\n"},
        {"escape at the end", "ends in \\", "Lends in \\\\\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const String payload(row.payload.data(), row.payload.size());
        EXPECT_EQ(row.record, encodeRecord('L', payload));
        std::string pending = row.record;
        char kind = 0;
        String back;
        ASSERT_TRUE(takeRecord(pending, kind, back));
        EXPECT_EQ('L', kind);
        EXPECT_EQ(row.payload, text(back));
        EXPECT_TRUE(pending.empty());
    }
}

// Bytes arrive from the pipe in pieces of any size; a record counts only once
// its line feed is there, and the records come out in order.
TEST(PipeRecord, RecordsSplitAnywhereComeOutWholeAndInOrder) {
    std::mt19937 random(11);
    std::vector<std::string> payloads;
    std::string stream;
    for (int i = 0; i < 200; ++i) {
        std::string payload(random() % 40, '\0');
        for (char& c : payload) c = char(random() & 0xFF);
        payloads.push_back(payload);
        stream += encodeRecord(char('A' + i % 26), String(payload.data(), payload.size()));
    }
    std::string pending;
    size_t next = 0;
    for (size_t at = 0; at < stream.size();) {
        const size_t piece = 1 + random() % 7;
        pending += stream.substr(at, piece);
        at += piece;
        char kind = 0;
        String payload;
        while (takeRecord(pending, kind, payload)) {
            ASSERT_LT(next, payloads.size());
            EXPECT_EQ(char('A' + next % 26), kind);
            EXPECT_EQ(payloads[next], text(payload)) << "record " << next;
            ++next;
        }
    }
    EXPECT_EQ(payloads.size(), next);
    EXPECT_TRUE(pending.empty());
}

TEST(PipeRecord, IncompleteOrOddInputNeverStallsOrInvents) {
    std::string pending = "Lno line feed yet";
    char kind = 'x';
    String payload("unchanged");
    EXPECT_FALSE(takeRecord(pending, kind, payload));
    EXPECT_EQ("Lno line feed yet", pending);
    EXPECT_EQ("unchanged", text(payload));

    pending = "\nLa\\qb\\\n";   // an empty line; an unknown escape; a lone backslash before the end
    ASSERT_TRUE(takeRecord(pending, kind, payload));
    EXPECT_EQ('\0', kind);
    ASSERT_TRUE(takeRecord(pending, kind, payload));
    EXPECT_EQ('L', kind);
    EXPECT_EQ("aqb\\", text(payload));
    EXPECT_TRUE(pending.empty());
}

}   // namespace
