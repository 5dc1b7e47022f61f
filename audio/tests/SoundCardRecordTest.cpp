// The sound-card routing file: serial labels from keys, the bounded name
// fields, and the lines written for whole files (from memory, so this runs
// natively with the sanitizers too).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/SoundCardRecord.h"
#include "foundation/LineCollector.h"

namespace {

using Lines = std::vector<std::string>;

std::vector<unsigned char> record(uint32_t key, const std::string& wave, const std::string& mixer,
                                  const std::string& line, uint32_t dataLength = 128) {
    std::vector<unsigned char> bytes(kSoundCardRecordSize, 0);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = (unsigned char)(key >> (8 * i));
        bytes[4 + i] = (unsigned char)(dataLength >> (8 * i));
    }
    // Copies at most the field size, with no terminator when the name fills
    // the field, as the writer of the file does.
    std::memcpy(&bytes[8], wave.data(), std::min<size_t>(wave.size(), 32));
    std::memcpy(&bytes[40], mixer.data(), std::min<size_t>(mixer.size(), 32));
    std::memcpy(&bytes[72], line.data(), std::min<size_t>(line.size(), 64));
    return bytes;
}

std::vector<unsigned char> concat(std::initializer_list<std::vector<unsigned char>> parts) {
    std::vector<unsigned char> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Hands out at most `chunk` bytes per call, like a pipe or a slow file: the
// reader must not take a short read for the end of the data.
class MemorySource : public RecordByteSource {
public:
    MemorySource(std::vector<unsigned char> bytes, size_t chunk = (size_t)-1)
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    size_t read(void* buffer, size_t length) override {
        size_t n = std::min({length, bytes_.size() - position_, chunk_});
        if (n) std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }

private:
    std::vector<unsigned char> bytes_;
    size_t position_ = 0;
    size_t chunk_;
};

Lines listFile(std::vector<unsigned char> bytes, size_t chunk = (size_t)-1) {
    MemorySource source(std::move(bytes), chunk);
    LineCollector out;
    writeSoundCardRecords(source, "C:\\DATA\\RX1", out);
    return out.lines;
}

Lines receiverBlock(const std::string& label, const std::string& wave, const std::string& mixer,
                    const std::string& line) {
    return {"   Receiver [" + label + "] ", "      Wave device: " + wave, "      Mixer device: " + mixer,
            "      Mixer line: " + line};
}

Lines framed(std::initializer_list<Lines> blocks) {
    Lines all{"Demod settings for C:\\DATA\\RX1"};
    for (const auto& block : blocks) all.insert(all.end(), block.begin(), block.end());
    all.push_back("");
    return all;
}

TEST(SoundCardLabel, KeysGiveEightCharacterSerials) {
    struct Row {
        uint32_t key;
        const char* label;
    } rows[] = {
        {0x9996EE9Au, "**demo**"}, {0x12503456u, "13A03456"},   // nibble 3 = 5: digit 2 bumped, letter A
        {0x12003456u, "12L03456"},                              // nibble 3 = 0: no bump, letter L
        {0x12403456u, "13@03456"},                              // nibble 3 = 4: (4 + 12) mod 16 = 0 gives '@'
        {0x9AF0BCDEu, "9;K0;<=>"},   // nibbles above 9 run past '9'; F wraps to 0x4B
        {0x9996EE9Bu, "9:E6>>9;"},   // one off the demo key is an ordinary serial
        {0x01000000u, "01L00000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        String label = soundCardReceiverLabel(row.key);
        EXPECT_STREQ(row.label, label.c_str());
        EXPECT_EQ(8u, label.length());
    }
}

TEST(SoundCardRecords, DemoRecordIsListedWithItsThreeNames) {
    Lines lines = listFile(record(kDemoReceiverKey, "Line 1 (Virtual)", "Mixer A", "Master Volume"));
    EXPECT_EQ(framed({receiverBlock("**demo**", "Line 1 (Virtual)", "Mixer A", "Master Volume")}), lines);
}

TEST(SoundCardRecords, EmptyFileGivesHeadingAndEmptyLineOnly) { EXPECT_EQ(framed({}), listFile({})); }

TEST(SoundCardRecords, UnusedKeyIsSkippedAndTheNextRecordStillRead) {
    Lines lines = listFile(concat(
        {record(0x00FFFFFFu, "unused", "unused", "unused"), record(0x12503456u, "Wave", "Mixer", "Line")}));
    EXPECT_EQ(framed({receiverBlock("13A03456", "Wave", "Mixer", "Line")}), lines);
}

TEST(SoundCardRecords, TruncatedLastRecordIsDropped) {
    auto bytes = concat({record(0x12503456u, "A", "B", "C"), record(0x22503456u, "D", "E", "F")});
    struct Row {
        const char* name;
        size_t cut;   // bytes removed from the end
    } rows[] = {
        {"data area short by one byte", 1},
        {"header only", kSoundCardDataSize},
        {"half a header", kSoundCardDataSize + 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<unsigned char> cut(bytes.begin(), bytes.end() - row.cut);
        EXPECT_EQ(framed({receiverBlock("13A03456", "A", "B", "C")}), listFile(cut));
    }
}

TEST(SoundCardRecords, NamesStopAtTheEndOfTheirField) {
    // Names that fill their fields completely, with no zero anywhere: each must
    // end at its own field and never run on into the next one.
    std::string wave(32, 'W'), mixer(32, 'M'), line(64, 'L');
    Lines lines = listFile(record(0x12503456u, wave, mixer, line));
    EXPECT_EQ(framed({receiverBlock("13A03456", wave, mixer, line)}), lines);

    // The last record of a file likewise: a full 64-byte line name must not
    // be read past the end of the record buffer.
    SoundCardRecord decoded;
    auto bytes = record(0x12503456u, "w", "m", line);
    decodeSoundCardHeader(bytes.data(), decoded);
    decodeSoundCardData(bytes.data() + kSoundCardHeaderSize, decoded);
    EXPECT_EQ(0x12503456u, decoded.key);
    EXPECT_EQ(128u, decoded.dataLength);
    EXPECT_EQ(64u, decoded.mixerLine.length());
}

TEST(SoundCardRecords, ShortReadsAreNotTheEndOfTheFile) {
    auto bytes = concat({record(0x12503456u, "A", "B", "C"), record(kDemoReceiverKey, "D", "E", "F")});
    Lines expected =
        framed({receiverBlock("13A03456", "A", "B", "C"), receiverBlock("**demo**", "D", "E", "F")});
    for (size_t chunk : {1u, 7u, 136u}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(expected, listFile(bytes, chunk));
    }
}

TEST(SoundCardRecords, DataLengthFieldDoesNotChangeTheLayout) {
    auto bytes =
        concat({record(0x12503456u, "A", "B", "C", 0), record(0x22503456u, "D", "E", "F", 0xFFFFFFFFu)});
    EXPECT_EQ(framed({receiverBlock("13A03456", "A", "B", "C"), receiverBlock("23A03456", "D", "E", "F")}),
              listFile(bytes));
}

// A source as long as a file of several gigabytes would be, generated on the
// fly: the listing must go record by record and never ask for it all at once.
class EndlessRecords : public RecordByteSource {
public:
    explicit EndlessRecords(size_t records) : remaining_(records * kSoundCardRecordSize) {
        pattern_ = record(0x00000001u, "", "", "");   // unused slots: nothing listed
    }
    size_t read(void* buffer, size_t length) override {
        largestRequest = std::max(largestRequest, length);
        size_t n = std::min(length, remaining_);
        for (size_t i = 0; i < n; ++i)
            ((unsigned char*)buffer)[i] = pattern_[(offset_ + i) % kSoundCardRecordSize];
        offset_ += n;
        remaining_ -= n;
        return n;
    }
    size_t largestRequest = 0;

private:
    std::vector<unsigned char> pattern_;
    size_t remaining_;
    size_t offset_ = 0;
};

TEST(SoundCardRecords, HugeFileIsReadRecordByRecord) {
    EndlessRecords source(200000);
    LineCollector out;
    writeSoundCardRecords(source, "C:\\DATA\\RX1", out);
    EXPECT_EQ(framed({}), out.lines);
    EXPECT_LE(source.largestRequest, kSoundCardRecordSize);
}

}   // namespace
