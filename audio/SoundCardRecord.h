// The receiver software's sound-card routing file, "SoundCard_Config.dat":
// headerless 136-byte records, one per receiver.  Portable: decoding and the
// lines written for a file are independent of where the bytes come from, so
// they are tested natively with the sanitizers as well.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/LineWriter.h"
#include "foundation/String.h"

// The record key that stands for the demo receiver instead of a serial number.
constexpr uint32_t kDemoReceiverKey = 0x9996EE9Au;

constexpr size_t kSoundCardHeaderSize = 8;   // key + data length
constexpr size_t kSoundCardDataSize = 128;   // three name fields
constexpr size_t kSoundCardRecordSize = kSoundCardHeaderSize + kSoundCardDataSize;

struct SoundCardRecord {
    uint32_t key = 0;
    uint32_t dataLength = 0;
    String waveDevice;    // 32-byte field
    String mixerDevice;   // 32-byte field
    String mixerLine;     // 64-byte field
};

// Eight characters from the key's nibbles; "**demo**" for the demo key.
String soundCardReceiverLabel(uint32_t key);

// Decodes the 8-byte header (little-endian key and length) and the 128-byte
// data area.  Each name ends at its first zero or at the end of its field,
// whichever comes first: a field filled to the brim is not read into the next.
void decodeSoundCardHeader(const unsigned char header[kSoundCardHeaderSize], SoundCardRecord& record);
void decodeSoundCardData(const unsigned char data[kSoundCardDataSize], SoundCardRecord& record);

// Sequential byte source of one open file.  read() returns the bytes actually
// delivered (fewer only at the end of the data or on an error).
class RecordByteSource {
public:
    virtual ~RecordByteSource() = default;
    virtual size_t read(void* buffer, size_t length) = 0;
};

// Writes "Demod settings for " + folder, one block per record whose key has a
// non-zero top byte, and the closing empty line.  Reads record by record with
// fixed buffers, so a file of any size is listed without being held in memory.
// A truncated last record is dropped.
void writeSoundCardRecords(RecordByteSource& source, const String& folder, LineWriter& out);
