#include "model/StationData.h"

#include <cmath>
#include <complex>

#include "conversion/ReadingConversion.h"

namespace {

constexpr int32_t kLargest24Bit = 8388607;
constexpr int32_t kSmallest24Bit = -8388608;

bool Finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

} // namespace

const char* StationRefusalText(StationRefusal refusal)
{
    switch (refusal) {
    case StationRefusal::None: return "";
    case StationRefusal::NoCalibration: return "no usable calibration set";
    case StationRefusal::NoReading: return "no reading";
    case StationRefusal::TooFewFrequencies: return "fewer than two frequencies";
    case StationRefusal::NoCurrent: return "no transmitter current";
    case StationRefusal::Saturated: return "saturated signal";
    case StationRefusal::NotANumber: return "a value that is not a number";
    case StationRefusal::NoSignal: return "no signal";
    case StationRefusal::Cancelled: return "cancelled";
    }
    return "unknown";
}

StationRefusal CheckStationData(const StationData& data)
{
    int used = 0;
    bool signal = false;
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
        if (!data.used[i])
            continue;
        ++used;
        if (!Finite(data.z[i]) || !std::isfinite(data.unit[i]) || !(data.unit[i] >= 0))
            return StationRefusal::NotANumber;
        signal |= data.z[i] != 0.0;
    }
    if (used < kMinimumInvertedFrequencies)
        return StationRefusal::TooFewFrequencies;
    return signal ? StationRefusal::None : StationRefusal::NoSignal;
}

StationRefusal StationDataFromRecord(const CalibrationSet* calibration, const MeasurementRecord& record,
                                     const FrequencyMask& used, StationData& data)
{
    data = StationData{};
    if (!calibration || !ModelCalibrationProblem(*calibration).empty())
        return StationRefusal::NoCalibration;
    if (record.Empty())
        return StationRefusal::NoReading;
    for (int i = 0; i < kFrequencyCount; ++i) {
        const size_t n = size_t(i);
        if (!used[n] || !record.ChannelPresent(i))
            continue;
        bool zeros = true;
        for (int v = 0; v < 4; ++v) {
            const int32_t raw = record.Raw(i, v);
            if (raw == kLargest24Bit || raw == kSmallest24Bit)
                return StationRefusal::Saturated;
            zeros &= raw == 0;
        }
        if (zeros)
            return StationRefusal::NoSignal;
        const std::complex<double> current(record.CurrentReal(i), record.CurrentImaginary(i));
        const std::complex<double> signal(record.SignalQuadrature(i) + 0.5, record.SignalInphase(i) + 0.5);
        const auto z = CorrectedSignal(*calibration, signal, current, i);
        // One unit of either signal value moves Z by |P|·GF / (CC·|I|).
        const auto moved = CorrectedSignal(*calibration, signal + 1.0, current, i);
        if (!z || !moved)
            return StationRefusal::NoCurrent;
        data.used[n] = true;
        data.z[n] = *z;
        data.unit[n] = std::abs(*moved - *z);
    }
    return CheckStationData(data);
}
