#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "survey/MeasurementRecord.h"

// Builds session files byte by byte at the offsets of the file layout, independently of
// the writer under test.
class SessionBytes {
public:
    explicit SessionBytes(size_t size) : bytes(size, '\0') {}

    void Put8(size_t at, uint8_t v) { bytes.at(at) = char(v); }
    void Put16(size_t at, uint16_t v)
    {
        Put8(at, uint8_t(v));
        Put8(at + 1, uint8_t(v >> 8));
    }
    void Put32(size_t at, uint32_t v)
    {
        Put16(at, uint16_t(v));
        Put16(at + 2, uint16_t(v >> 16));
    }
    void PutF64(size_t at, double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        Put32(at, uint32_t(bits));
        Put32(at + 4, uint32_t(bits >> 32));
    }
    void PutRaw(size_t at, const std::string& raw) { bytes.replace(at, raw.size(), raw); }
    void PutRecord(size_t at, const MeasurementRecord& r) { bytes.replace(at, 180, reinterpret_cast<const char*>(r.bytes.data()), 180); }

    // Magic, words 1 and 0, three length-prefixed texts (already in the code page), the
    // calibration date and the serial.
    void Header(const std::string& t1, const std::string& t2, const std::string& t3, uint8_t day, uint8_t month,
                uint16_t year, uint16_t serial)
    {
        PutRaw(0, std::string("LUR\0", 4));
        Put16(4, 1);
        Put16(6, 0);
        const std::string* texts[3] = {&t1, &t2, &t3};
        for (size_t i = 0; i < 3; ++i) {
            Put8(8 + 256 * i, uint8_t(texts[i]->size()));
            PutRaw(9 + 256 * i, *texts[i]);
        }
        Put8(776, day);
        Put8(777, month);
        Put16(778, year);
        Put16(780, serial);
    }

    std::string bytes;
};
