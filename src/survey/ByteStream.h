#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Little-endian writing into a growing buffer, as session files are laid out.
class ByteWriter {
public:
    void Bytes(const void* data, size_t size) { buffer_.append(static_cast<const char*>(data), size); }
    void U8(uint8_t v) { buffer_.push_back(char(v)); }
    void U16(uint16_t v) { Little(v, 2); }
    void U32(uint32_t v) { Little(v, 4); }
    void F64(double v)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, 8);
        Little(bits, 8);
    }
    // Offsets in session files are 32-bit.
    uint32_t Position() const { return uint32_t(buffer_.size()); }
    const std::string& Data() const { return buffer_; }

private:
    void Little(uint64_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            buffer_.push_back(char(uint8_t(v >> (8 * i))));
    }
    std::string buffer_;
};

// Little-endian reading with bounds checks: a read past the end fails and leaves the
// reader failed, so a chain of reads needs one check at the end.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    bool Bytes(void* out, size_t size)
    {
        if (!ok_ || size > Remaining()) {
            ok_ = false;
            return false;
        }
        std::memcpy(out, data_.data() + pos_, size);
        pos_ += size;
        return true;
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
    bool Seek(uint64_t offset)
    {
        if (offset > data_.size())
            ok_ = false;
        else
            pos_ = size_t(offset);
        return ok_;
    }
    size_t Remaining() const { return data_.size() - pos_; }
    bool Ok() const { return ok_; }

private:
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
    std::string_view data_;
    size_t pos_ = 0;
    bool ok_ = true;
};
