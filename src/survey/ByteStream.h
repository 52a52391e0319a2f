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
