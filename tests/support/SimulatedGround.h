#pragma once
#include <cmath>
#include <memory>

#include "instrument/InstrumentFrames.h"
#include "settings/CSettings.h"
#include "sim/GpsWalker.h"
#include "sim/SimulatedInstrument.h"
#include "survey/SessionImage.h"
#include "survey/SurveyDataSet.h"
#include "track/TrackDataSet.h"

namespace testing_support {

// Sessions measured by the instrument simulator over its ground model, as lurctl survey
// --simulate takes them: deterministic, without the wire.

// The reading the simulator gives at (x, y) metres: every frequency.
inline MeasurementRecord SimulatedRecord(SimulatedInstrument& instrument, double x, double y, uint32_t stamp)
{
    instrument.SetPosition(std::make_pair(x, y));
    const frames::Frame frame = frames::ReadingFrame(true, 0x3FFF);
    MeasurementRecord record;
    const auto replies = instrument.Receive(frame.bytes.data(), frame.size);
    if (replies.size() == 1 && replies[0].size() == frames::kReadingReplySize)
        record.StoreReply(replies[0].data());
    record.SetTimeStamp(stamp);
    return record;
}

// A grid of `measured` readings in walking order, the ground's bodies placed within it.
inline std::unique_ptr<SurveyDataSet> SimulatedSurvey(CSettings& settings, int32_t xSize, int32_t ySize, float xStep,
                                                      float yStep, size_t measured)
{
    settings.workType = ySize > 1 ? kWorkMap : kWorkLimitedProfile;
    settings.xSize = xSize;
    settings.ySize = ySize;
    settings.xStep = xStep;
    settings.yStep = yStep;
    auto data = std::make_unique<SurveyDataSet>(settings);
    InstrumentOptions options;
    options.ground = options.ground.PlacedIn((xSize - 1) * double(xStep), (ySize - 1) * double(yStep));
    SimulatedInstrument instrument(options, BuiltInCalibrationSet());
    for (uint32_t p = 0; p < data->YSize(); ++p)
        for (uint32_t s = 0; s < data->XSize(); ++s) {
            const uint32_t index = data->IndexOf(p, s);
            if (index < measured)
                data->StoreRecord(index, SimulatedRecord(instrument, s * double(xStep), p * double(yStep), index));
        }
    return data;
}

// `n` readings `seconds` of walking apart along the simulated GPS receiver's survey lines.
inline std::unique_ptr<TrackDataSet> SimulatedTrack(CSettings& settings, size_t n, double seconds)
{
    const GpsWalker walker = GpsWalker::SurveyLines();
    SimulatedInstrument instrument(InstrumentOptions{}, BuiltInCalibrationSet());
    SessionImage image;
    image.track = true;
    for (size_t k = 0; k < n; ++k) {
        const GeoPoint where = walker.PositionAt(double(k) * seconds);
        double east = 0, north = 0;
        walker.ToLocal(where, east, north);
        image.records.push_back(SimulatedRecord(instrument, east, north, uint32_t(k)));
        image.fixes.push_back(GpsFix{where.latitude, where.longitude, 0});
    }
    return TrackDataSet::LoadTrackBody(image, settings);
}

} // namespace testing_support
