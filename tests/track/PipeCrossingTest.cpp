// The pipe of the simulated ground, crossed east and west along the survey lines of the
// simulated GPS walker, as the map graph places the readings. The receiver reports each
// position late and carries its antenna off the instrument's centre; the instrument reads
// the ground under its true centre. Every reading is placed as the measurement page places
// it: a provisional position, then the position service's answer interpolated between
// fixes. Uncorrected, the anomaly of each direction is shifted along the walk, so the two
// directions disagree by twice the shift; corrected, they agree.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "conversion/ReadingConversion.h"
#include "gps/CGpsPositionService.h"
#include "gps/PositionQueue.h"
#include "sim/GpsSimulator.h"
#include "support/SettingsFixture.h"
#include "support/SimulatedGround.h"
#include "track/TrackDataSet.h"
#include "track/TrackPositioning.h"

namespace {

constexpr double kReadingEvery = 0.5; // s: a reading every 0.6 m at walking speed
constexpr double kFixEvery = 1.0;     // s: a 1 Hz receiver
constexpr double kWindowEast = 40.0;  // readings are taken where the instrument is west of this
constexpr uint32_t kTickBase = 0xFFFF0000; // the tick counter wraps during the walk
constexpr WindowId kPage = 7;

struct Crossing {
    bool eastward;
    double peakEast; // metres, in the map's frame
};

class PipeCrossing : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        Settings().unitMeasure = 1;
        Settings().apparentValueKind = 1; // conductivity: the pipe is the maximum
        Settings().usedFrequencies.fill(1);
    }

    static uint32_t TickAt(double seconds) { return kTickBase + uint32_t(std::llround(seconds * 1000)); }

    // One traverse of the survey lines with the receiver's lag and antenna, readings taken
    // over the pipe's side of the field.
    std::unique_ptr<TrackDataSet> Walk(double lagSeconds, double antennaAhead)
    {
        GpsSimulatorOptions options;
        options.rateHz = 1.0 / kFixEvery;
        options.startUtcMs = 1717230000000;
        options.lagSeconds = lagSeconds;
        options.antennaAheadMetres = antennaAhead;
        const GpsWalker walker = GpsWalker::SurveyLines();
        const GpsSimulator receiver(walker, options);
        SimulatedInstrument instrument(InstrumentOptions{}, BuiltInCalibrationSet());
        platform::ManualClock clock(kTickBase);
        PositionQueue queue;
        CGpsPositionService positions(queue, clock);
        auto track = std::make_unique<TrackDataSet>(Settings());
        const auto deliver = [&] {
            for (const PositionMessage& message : queue.Take(std::chrono::milliseconds(0)))
                ApplyPositionMessage(*track, message);
        };

        const double traverse = (7 * 120.0 + 6 * 10.0) / walker.SpeedMps();
        uint64_t epoch = 0;
        for (double t = 0; t < traverse; t += kReadingEvery) {
            for (; receiver.EpochSeconds(epoch) <= t; ++epoch) {
                const GpsEpoch e = receiver.EpochState(epoch);
                clock.Set(TickAt(receiver.EpochSeconds(epoch)));
                positions.OnFix(GpsFix{e.latitude, e.longitude, clock.Now()});
                deliver();
            }
            double east = 0, north = 0;
            walker.ToLocal(walker.PositionAt(t), east, north);
            if (east > kWindowEast)
                continue;
            const MeasurementRecord record = testing_support::SimulatedRecord(instrument, east, north, TickAt(t));
            const uint32_t firstNew = track->CurrentIndex();
            EXPECT_EQ(track->StoreReadings(std::span(&record, 1)).stored, 1u);
            RequestReadingPositions(*track, firstNew, positions, kPage);
            truth_.push_back({east, north});
        }
        return track;
    }

    // The anomaly of each pass over the pipe as the map graph places the readings: the
    // highest apparent conductivity of the first frequency (the deepest reaching, which sees
    // the pipe best), refined by the parabola through it and its two neighbours on the pass.
    std::vector<Crossing> Crossings(TrackDataSet& track, double lagSeconds, double antennaAhead)
    {
        Settings().gpsLagSeconds = float(lagSeconds);
        Settings().antennaAheadMetres = float(antennaAhead);
        track.ComputeTrack(false);
        const std::vector<TrackPoint>& points = track.Track();
        const ConversionSettings conversion = ConversionSettingsFrom(Settings());
        std::vector<Crossing> crossings;
        // A pass: the readings of one line in the order walked; the legs between lines are none.
        const auto passOf = [&](size_t j) {
            const double line = std::round(truth_[j].second / 10);
            return std::fabs(truth_[j].second - 10 * line) < 0.5 ? int(line) : -1;
        };
        size_t k = 0;
        while (k < truth_.size()) {
            const int pass = passOf(k);
            size_t end = k;
            while (end < truth_.size() && passOf(end) == pass)
                ++end;
            if (pass < 0) {
                k = end;
                continue;
            }
            size_t best = k;
            std::vector<float> value(end - k);
            for (size_t j = k; j < end; ++j) {
                EXPECT_TRUE(points[j].positioned) << j;
                value[j - k] = ConvertReadingFiltered(conversion, Settings().currentCalibration, track.Record(j), 0);
                if (value[j - k] > value[best - k])
                    best = j;
            }
            if (best > k && best + 1 < end) {
                const double x0 = points[best - 1].east, x1 = points[best].east, x2 = points[best + 1].east;
                const double y0 = value[best - 1 - k], y1 = value[best - k], y2 = value[best + 1 - k];
                // Vertex of the parabola through the three points (any spacing).
                const double d01 = (y1 - y0) / (x1 - x0), d12 = (y2 - y1) / (x2 - x1);
                const double curvature = (d12 - d01) / (x2 - x0);
                crossings.push_back({truth_[end - 1].first > truth_[k].first, (x0 + x1) / 2 - d01 / (2 * curvature)});
            }
            k = end;
        }
        return crossings;
    }

    std::vector<std::pair<double, double>> truth_; // the instrument's centre at each reading
};

// The spread of the anomaly positions of one direction, and the mean of each direction.
struct Agreement {
    double eastMean = 0, westMean = 0, spread = 0;
};

Agreement Compare(const std::vector<Crossing>& crossings)
{
    Agreement a;
    int east = 0, west = 0;
    for (const Crossing& c : crossings)
        (c.eastward ? (++east, a.eastMean) : (++west, a.westMean)) += c.peakEast;
    a.eastMean /= east;
    a.westMean /= west;
    for (const Crossing& c : crossings)
        a.spread = std::max(a.spread, std::fabs(c.peakEast - (c.eastward ? a.eastMean : a.westMean)));
    return a;
}

TEST_F(PipeCrossing, BothDirectionsFindThePipeInOnePlaceOnceCorrected)
{
    const struct {
        const char* what;
        double lag, ahead;
    } receivers[] = {
        {"antenna on the back, 1.5 s late", 1.5, -1.2},
        {"antenna on a pole ahead, 0.4 s late", 0.4, 2.5},
    };
    for (const auto& r : receivers) {
        SCOPED_TRACE(r.what);
        truth_.clear();
        const std::unique_ptr<TrackDataSet> track = Walk(r.lag, r.ahead);
        const std::vector<Crossing> raw = Crossings(*track, 0, 0);
        const std::vector<Crossing> corrected = Crossings(*track, r.lag, r.ahead);
        ASSERT_EQ(raw.size(), 7u); // four lines walked east, three west
        ASSERT_EQ(corrected.size(), 7u);

        // Each reading was placed where the antenna was a lag before it, so along the walk
        // by (antenna ahead - speed × lag): each direction its own way.
        const double shift = r.ahead - GpsWalker::kWalkingSpeed * r.lag;
        const Agreement before = Compare(raw), after = Compare(corrected);
        // Corrected positions are exact on a straight line walked at constant speed, so what
        // is left is the peak's estimate: a pass samples the anomaly every 0.6 m at a phase
        // of its own, and the parabola's vertex errs by millimetres here. A sixth of that
        // spacing still tells an uncorrected walk (metres) from a corrected one.
        constexpr double kTolerance = 0.1;
        EXPECT_LT(before.spread, kTolerance);
        EXPECT_LT(after.spread, kTolerance);
        EXPECT_NEAR(before.eastMean - before.westMean, 2 * shift, kTolerance);
        EXPECT_NEAR(after.eastMean - after.westMean, 0.0, kTolerance);
        // And in the ground's frame, over the pipe.
        const std::vector<CorrectedPosition> placed = track->CorrectedPositions({r.lag, r.ahead});
        double originEast = 0, originNorth = 0;
        GpsWalker::SurveyLines().ToLocal({placed[0].latitude, placed[0].longitude}, originEast, originNorth);
        const double pipeX = GroundModel{}.pipeX;
        EXPECT_NEAR(originEast + after.eastMean, pipeX, kTolerance);
        EXPECT_NEAR(originEast + after.westMean, pipeX, kTolerance);
    }
}

} // namespace
