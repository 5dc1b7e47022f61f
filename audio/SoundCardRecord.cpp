#include "audio/SoundCardRecord.h"

#include <cstring>

namespace {

uint32_t littleEndian32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// The writer of the file fills the fields with strncpy-like copies, so a name
// of exactly the field's size has no terminating zero; memchr stops at the
// field's end either way.
String boundedName(const unsigned char* field, size_t fieldSize) {
    const void* zero = std::memchr(field, 0, fieldSize);
    size_t length = zero ? (size_t)((const unsigned char*)zero - field) : fieldSize;
    return String((const char*)field, length);
}

// Reads until length bytes arrived or the source is exhausted; a source may
// deliver less than asked in one call without being at its end.
size_t readFully(RecordByteSource& source, void* buffer, size_t length) {
    size_t total = 0;
    while (total < length) {
        size_t got = source.read((char*)buffer + total, length - total);
        if (got == 0) break;
        total += got;
    }
    return total;
}

}   // namespace

String soundCardReceiverLabel(uint32_t key) {
    if (key == kDemoReceiverKey) return String("**demo**");
    unsigned nibble[8];
    for (int i = 0; i < 8; ++i) nibble[i] = (key >> (28 - 4 * i)) & 0xF;
    char label[8];
    label[0] = (char)('0' + nibble[0]);
    label[1] = (char)('0' + nibble[1] + (nibble[2] != 0 ? 1 : 0));
    label[2] = (char)(0x40 + ((nibble[2] + 12) % 16));
    for (int i = 3; i < 8; ++i) label[i] = (char)('0' + nibble[i]);
    return String(label, sizeof label);
}

void decodeSoundCardHeader(const unsigned char header[kSoundCardHeaderSize], SoundCardRecord& record) {
    record.key = littleEndian32(header);
    record.dataLength = littleEndian32(header + 4);
}

void decodeSoundCardData(const unsigned char data[kSoundCardDataSize], SoundCardRecord& record) {
    record.waveDevice = boundedName(data, 32);
    record.mixerDevice = boundedName(data + 32, 32);
    record.mixerLine = boundedName(data + 64, 64);
}

void writeSoundCardRecords(RecordByteSource& source, const String& folder, LineWriter& out) {
    out.writeLine(String("Demod settings for ") + folder);
    unsigned char header[kSoundCardHeaderSize];
    unsigned char data[kSoundCardDataSize];
    for (;;) {
        if (readFully(source, header, sizeof header) != sizeof header) break;
        // The length field does not change the layout: every record written by
        // the receiver software carries a 128-byte data area.
        if (readFully(source, data, sizeof data) != sizeof data) break;
        SoundCardRecord record;
        decodeSoundCardHeader(header, record);
        // Keys below 0x01000000 mark unused slots.
        if ((record.key >> 24) == 0) continue;
        decodeSoundCardData(data, record);
        out.writeLine(String("   Receiver [") + soundCardReceiverLabel(record.key) + "] ");
        out.writeLine(String("      Wave device: ") + record.waveDevice);
        out.writeLine(String("      Mixer device: ") + record.mixerDevice);
        out.writeLine(String("      Mixer line: ") + record.mixerLine);
    }
    out.writeLine(String());
}
