#pragma once
// Stations measured over known grounds: the instrument model's response, Gaussian noise on
// each part, then through the instrument's raw values and the record, as a real reading
// arrives (so the one-unit resolution of the shifted signal values is in it).
#include <random>

#include "model/ForwardModel.h"
#include "model/StationData.h"
#include "sim/GroundModel.h"
#include "support/RecordBuilder.h"

namespace testing_support {

inline MeasurementRecord ModelledRecord(const LayeredEarth& earth, double relativeNoise, uint32_t seed)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ForwardModel model(c);
    ModelResponse z{};
    model.Evaluate(earth, kAllFrequencies, z);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss;
    MeasurementRecord record;
    for (int i = 0; i < kFrequencyCount; ++i) {
        const std::complex<double> v = z[size_t(i)];
        const std::complex<double> noisy(v.real() * (1 + relativeNoise * gauss(random)),
                                         v.imag() * (1 + relativeNoise * gauss(random)));
        const ChannelValues raw = SimulatedChannel(c, i, noisy);
        PutChannel(record, i, raw[0], raw[1], raw[2], raw[3]);
    }
    record.bytes[175] = 9;
    return record;
}

inline StationData ModelledStation(const LayeredEarth& earth, double relativeNoise, uint32_t seed)
{
    StationData data;
    StationDataFromRecord(&BuiltInCalibrationSet(), ModelledRecord(earth, relativeNoise, seed), kAllFrequencies, data);
    return data;
}

// The exact response, without noise or resolution.
inline StationData ExactStation(const LayeredEarth& earth)
{
    const CalibrationSet& c = BuiltInCalibrationSet();
    ForwardModel model(c);
    StationData data;
    model.Evaluate(earth, kAllFrequencies, data.z);
    data.used = kAllFrequencies;
    for (int i = 0; i < kFrequencyCount; ++i)
        data.unit[size_t(i)] = SimulatedUnit(c, i);
    return data;
}

} // namespace testing_support
