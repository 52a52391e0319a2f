#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "conversion/ReadingConversion.h"
#include "settings/CSettings.h"
#include "support/RecordBuilder.h"
#include "survey/SessionImage.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace testing_support {

// A layered ground with a conductive pipe buried 4 m deep, running obliquely under the
// survey (x = 12 + 0.4 y, metres): the quadrature reading of frequency i at (x, y) in ADC
// quanta, before the instrument's shift by 7 bits. Pseudo-depths are those of the
// built-in calibration with the default depth scale (10 m for the first frequency, 1 m
// for the last).
inline double GroundQuadrature(double x, double y, int i)
{
    static const ConversionSettings conversion;
    const double depth = FrequencyDepth(conversion, BuiltInCalibrationSet(), i);
    const double across = x - (12.0 + 0.4 * y);
    const double pipe = std::exp(-(across * across + (depth - 4.0) * (depth - 4.0)) / (2.0 * 2.0 * 2.0));
    return 500.0 + 20.0 * depth + 4000.0 * pipe;
}

// The record the instrument would send at (x, y): every channel present.
inline MeasurementRecord GroundRecord(double x, double y, uint32_t stamp = 0)
{
    MeasurementRecord r;
    for (int i = 0; i < kFrequencyCount; ++i) {
        const double q = GroundQuadrature(x, y, i);
        PutChannel(r, i, int32_t(std::lround(q * 128.0)), int32_t(std::lround(q * 0.3 * 128.0)), 100000, 0);
    }
    r.bytes[175] = 9;
    r.SetTimeStamp(stamp);
    return r;
}

// A map survey of xSize × ySize stations (steps in metres) over the ground; the first
// `measured` stations in walking order carry readings. The settings get the grid.
inline std::unique_ptr<SurveyDataSet> GroundSurvey(CSettings& settings, int32_t xSize, int32_t ySize, float xStep,
                                                   float yStep, size_t measured)
{
    settings.workType = ySize > 1 ? kWorkMap : (xSize > 0 ? kWorkLimitedProfile : kWorkProfile);
    settings.xSize = xSize;
    settings.ySize = ySize;
    settings.xStep = xStep;
    settings.yStep = yStep;
    auto data = std::make_unique<SurveyDataSet>(settings);
    const uint32_t width = data->XSize() != 0 ? data->XSize() : uint32_t(measured);
    for (uint32_t p = 0; p < data->YSize(); ++p)
        for (uint32_t s = 0; s < width; ++s) {
            const uint32_t index = data->IndexOf(p, s);
            if (index < measured)
                data->StoreRecord(index, GroundRecord(s * double(xStep), p * double(yStep), index));
        }
    return data;
}

// A walk over the ground from 55.75° N 37.6° E: `n` readings about `stepMetres` apart on
// east-west legs 3 m apart, walked to and fro over a roughly square area, so every leg
// crosses the pipe.
inline std::unique_ptr<TrackDataSet> GroundTrack(CSettings& settings, size_t n, double stepMetres = 0.5)
{
    SessionImage image;
    image.track = true;
    constexpr double kLatitude = 55.75, kLongitude = 37.6;
    const double metresPerDegree = 6371000.0 * std::acos(0.0) / 90.0;
    const double metresPerLongitude = metresPerDegree * std::cos(kLatitude * std::acos(0.0) / 90.0);
    const size_t legs = std::max<size_t>(2, size_t(std::lround(std::sqrt(double(n) * stepMetres / 3.0))));
    const size_t perLeg = n / legs + 1;
    for (size_t k = 0; k < n; ++k) {
        const size_t leg = k / perLeg;
        const double along = double(k % perLeg) * stepMetres;
        const double x = leg % 2 == 0 ? along : double(perLeg - 1) * stepMetres - along;
        const double y = double(leg) * 3.0 + 0.05 * along;
        image.records.push_back(GroundRecord(x, y, uint32_t(k)));
        image.fixes.push_back(GpsFix{kLatitude + y / metresPerDegree, kLongitude + x / metresPerLongitude, 0});
    }
    return TrackDataSet::LoadTrackBody(image, settings);
}

} // namespace testing_support
