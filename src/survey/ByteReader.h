#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "survey/MeasurementRecord.h"

// Little-endian reading with bounds checks, from bytes in memory or from an open file read
// through a window: a large session is parsed in one pass without a copy
// of the whole file, its records going from the window straight to where they are kept. A read
// past the end, or one the file cannot give, leaves the reader failed, so a chain of reads
// needs one check at the end. Owned by one thread.
class ByteReader {
public:
    static constexpr size_t kWindowSize = 256 * 1024;

    explicit ByteReader(std::string_view bytes);
    // `fd` (not owned) is a regular file of `size` bytes, read from offset 0; `window` bytes
    // are read at a time (at least one record's worth).
    ByteReader(int fd, uint64_t size, size_t window = kWindowSize);

    bool Bytes(void* out, size_t size)
    {
        // Most reads lie inside the window: a copy, nothing more.
        if (ok_ && pos_ >= windowStart_ && size <= window_.size() && pos_ - windowStart_ <= window_.size() - size) {
            std::memcpy(out, window_.data() + (pos_ - windowStart_), size);
            pos_ += size;
            return true;
        }
        return BytesAcrossWindows(out, size);
    }
    uint8_t U8() { return uint8_t(Little(1)); }
    uint16_t U16() { return uint16_t(Little(2)); }
    uint32_t U32() { return uint32_t(Little(4)); }
    double F64()
    {
        const uint64_t bits = Little(8);
        double v = 0;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    bool Seek(uint64_t offset);
    uint64_t Remaining() const { return size_ - pos_; }
    bool Ok() const { return ok_; }
    // The errno of a read the file refused (0 when none): then the file, not its contents, is
    // at fault.
    int ReadError() const { return readError_; }

    // Appends `count` records that lie back to back, each copied once into the vector.
    bool AppendRecords(std::vector<MeasurementRecord>& records, size_t count);

private:
    bool BytesAcrossWindows(void* out, size_t size);
    uint64_t Little(int bytes)
    {
        uint8_t b[8] = {};
        if (!Bytes(b, size_t(bytes)))
            return 0;
        uint64_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | b[i];
        return v;
    }
    // Bytes of the window from the position on, reading the window there when fewer than
    // `wanted` are at hand; empty when the file gives nothing (the reader has failed).
    std::string_view Ahead(size_t wanted);
    bool Fail();

    std::string_view window_; // the bytes at windowStart_ of the source
    uint64_t windowStart_ = 0;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
    bool ok_ = true;
    int fd_ = -1;
    int readError_ = 0;
    size_t windowSize_ = 0;
    std::unique_ptr<char[]> buffer_;
};
