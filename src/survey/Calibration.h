#pragma once
#include <array>
#include <compare>
#include <cstdint>
#include <string>

constexpr int kFrequencyCount = 14;

// Identity of one calibration set: instrument serial number and calibration date.
struct CalibrationKey {
    uint16_t serial = 0;
    uint16_t year = 2000;
    uint8_t month = 1;
    uint8_t day = 1;

    auto operator<=>(const CalibrationKey&) const = default;

    // The registry form of the date: (year << 16) | (month << 8) | day.
    uint32_t PackedDate() const { return uint32_t(year) << 16 | uint32_t(month) << 8 | day; }
    void SetPackedDate(uint32_t packed);
};

// Constants of one instrument for one calibration date; index i is frequency i + 1.
struct CalibrationSet {
    std::string comment; // UTF-8
    std::array<double, kFrequencyCount> XP{}, YP{}; // phase correction (real, imaginary)
    std::array<double, kFrequencyCount> XA{}, YA{}; // undercompensation measured in air
    std::array<double, kFrequencyCount> IA{};       // transmitter current of the air measurement
    std::array<double, kFrequencyCount> CC{};       // current coefficient
    std::array<double, kFrequencyCount> M1{}, M2{}; // receiver factors
    std::array<double, kFrequencyCount> GF{};       // gain factor
    std::array<double, kFrequencyCount> F{};        // frequency, kHz
    std::array<double, kFrequencyCount> DC{};       // depth coefficient sqrt(F[0] / F[i])
    double rt = 0, nt = 0, r1 = 0, r2 = 0;          // induction model scalars

    // Same comment and per-frequency values; the scalars are not compared.
    bool SameAs(const CalibrationSet& other) const;
    void ComputeDepthCoefficients();
};

// "LUR 9, 28/02/2007": how sets are named to the operator.
std::string FormatCalibrationKey(const CalibrationKey& key);

// The set used when no calibration file is known: serial 9, 28/02/2007.
const CalibrationSet& BuiltInCalibrationSet();
constexpr CalibrationKey kBuiltInCalibrationKey{9, 2007, 2, 28};
