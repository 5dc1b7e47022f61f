// Sound-card files are written by another program and may be truncated,
// padded or simply not this format.  The input is the file; its first byte
// also picks how many bytes each read delivers, since a stream may come up
// short without being at its end.  Checks: the listing always has its
// heading and closing empty line, four lines per record with a non-zero top
// byte, and a truncated last record is dropped.
#include "audio/SoundCardRecord.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class ChunkedSource : public RecordByteSource {
public:
    ChunkedSource(const uint8_t* data, size_t size, size_t chunk) : data_(data), size_(size), chunk_(chunk) {}
    size_t read(void* buffer, size_t length) override {
        size_t n = length < chunk_ ? length : chunk_;
        if (n > size_ - offset_) n = size_ - offset_;
        std::memcpy(buffer, data_ + offset_, n);
        offset_ += n;
        return n;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t chunk_;
    size_t offset_ = 0;
};

class Lines : public LineWriter {
public:
    std::vector<String> lines;

protected:
    void putLine(const String& text, bool) override { lines.push_back(text); }
};

uint32_t keyAt(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 160;
    ++data;
    --size;

    ChunkedSource source(data, size, chunk);
    Lines out;
    writeSoundCardRecords(source, "C:\\FOLDER", out);

    size_t listed = 0;
    for (size_t offset = 0; offset + kSoundCardRecordSize <= size; offset += kSoundCardRecordSize)
        if (keyAt(data + offset) >> 24) ++listed;
    if (out.lines.size() != 2 + 4 * listed) std::abort();
    if (!(out.lines.front() == "Demod settings for C:\\FOLDER")) std::abort();
    if (!(out.lines.back() == "")) std::abort();
    for (size_t i = 1; i + 1 < out.lines.size(); i += 4) {
        const String& label = out.lines[i];
        // "   Receiver [" + eight characters + "] "
        if (label.length() != 23 || std::strncmp(label.c_str(), "   Receiver [", 13) != 0) std::abort();
        if (out.lines[i + 1].length() > 19 + 32 || out.lines[i + 2].length() > 20 + 32 ||
            out.lines[i + 3].length() > 18 + 64)
            std::abort();
    }
    return 0;
}
