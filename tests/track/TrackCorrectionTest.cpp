// Lag and antenna offset corrections against simulated walks whose true instrument path is
// known: the simulated receiver reports late and carries its antenna ahead of the
// instrument, the readings get their positions by interpolating its fixes in time, as the
// position service does.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "sim/GpsSimulator.h"
#include "track/TrackCorrection.h"
#include "track/TrackProjection.h"

namespace {

constexpr double kLag = 1.5;   // s
constexpr double kAhead = 1.8; // m
constexpr double kReadingEvery = 0.7; // s

struct Walk {
    std::vector<GpsFix> readings;     // as the track holds them: own position, reading's tick
    std::vector<GeoPoint> instrument; // where the instrument's centre truly was
    std::vector<double> seconds;
};

// `seconds` of walking with readings every 0.7 s; the receiver sends one fix a second.
Walk Simulate(const GpsWalker& walker, double seconds, double lag, double ahead)
{
    GpsSimulatorOptions options;
    options.startUtcMs = 1717230000000;
    options.lagSeconds = lag;
    options.antennaAheadMetres = ahead;
    const GpsSimulator receiver(walker, options);
    Walk walk;
    for (double t = 10.0; t < seconds; t += kReadingEvery) {
        const auto before = static_cast<uint64_t>(std::floor(t));
        const GpsEpoch a = receiver.EpochState(before), b = receiver.EpochState(before + 1);
        const double f = t - double(before);
        walk.readings.emplace_back(a.latitude + (b.latitude - a.latitude) * f,
                                   a.longitude + (b.longitude - a.longitude) * f, uint32_t(std::llround(t * 1000)));
        walk.instrument.push_back(receiver.PositionAt(t));
        walk.seconds.push_back(t);
    }
    return walk;
}

double Metres(const GeoPoint& a, double latitude, double longitude)
{
    const TrackProjection projection(GpsFix{a.latitude, a.longitude, 0});
    double east = 0, north = 0;
    projection.Project(GpsFix{latitude, longitude, 0}, east, north);
    return std::hypot(east, north);
}

GeoPoint Offset(const GeoPoint& origin, double east, double north)
{
    const double metresPerDegree = 6371000.0 * std::numbers::pi / 180.0;
    return {origin.latitude + north / metresPerDegree,
            origin.longitude + east / (metresPerDegree * std::cos(origin.latitude * std::numbers::pi / 180.0))};
}

const GeoPoint kStart{55.7, 37.5};

TEST(TrackCorrection, StraightWalkComesBackToTheInstrumentsPath)
{
    const Walk walk = Simulate(GpsWalker({kStart, Offset(kStart, 300, 120)}), 120, kLag, kAhead);
    const auto raw = CorrectTrack(walk.readings, {});
    const auto corrected = CorrectTrack(walk.readings, {kLag, kAhead});
    ASSERT_EQ(corrected.size(), walk.readings.size());
    const double last = walk.seconds.back();
    for (size_t k = 0; k < corrected.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(corrected[k].hasPosition);
        EXPECT_TRUE(corrected[k].headingFound);
        // The raw positions are off by the lag's walk less the antenna's lead.
        EXPECT_NEAR(Metres(walk.instrument[k], raw[k].latitude, raw[k].longitude), kLag * 1.2 - kAhead, 0.01);
        if (walk.seconds[k] + kLag > last) {
            EXPECT_FALSE(corrected[k].lagCovered); // past the last reading: kept there, and said so
            continue;
        }
        EXPECT_TRUE(corrected[k].lagCovered);
        EXPECT_LT(Metres(walk.instrument[k], corrected[k].latitude, corrected[k].longitude), 0.1);
    }
}

// Legs of 20 m turning 90° at each corner. Around a corner the instrument turns on the spot
// and the antenna swings with it, so there is no one walking direction within a metre or
// two of the turn; everywhere else the correction is exact.
TEST(TrackCorrection, ZigZagWalkIsCorrectedAwayFromTheTurns)
{
    std::vector<GeoPoint> path{kStart};
    for (int leg = 1; leg <= 8; ++leg)
        path.push_back(Offset(kStart, leg * 14.142, leg % 2 ? 14.142 : 0.0));
    const GpsWalker walker(path);
    const Walk walk = Simulate(walker, 130, kLag, kAhead);
    const auto corrected = CorrectTrack(walk.readings, {kLag, kAhead});
    const double legSeconds = 20.0 / GpsWalker::kWalkingSpeed;
    int nearTurns = 0, off = 0;
    for (size_t k = 0; k + 3 < corrected.size(); ++k) {
        const double t = walk.seconds[k];
        const double sinceTurn = std::fmod(t, legSeconds);
        const double error = Metres(walk.instrument[k], corrected[k].latitude, corrected[k].longitude);
        // A reading's place depends on fixes from about 1.7 s before to 2.4 s after it.
        if (sinceTurn < 1.8 || legSeconds - sinceTurn < 2.5) {
            ++nearTurns;
            off += error >= 0.1;
            EXPECT_LT(error, 2 * kAhead) << t; // never worse than the antenna swinging round
            continue;
        }
        EXPECT_LT(error, 0.1) << t << " s, " << sinceTurn << " s into a leg";
    }
    EXPECT_GT(off, 0);            // the turns are not exact...
    EXPECT_LT(off, nearTurns);    // ...nor wholly lost
}

// The survey lines as lurctl survey walks them, turning on 2 m arcs, against turns on the
// spot. Along the lines both are corrected exactly; at a turn the rigid correction (one
// walking direction from a metre or more of track) cannot follow an antenna that swings
// round at once, but comes within the antenna's distance of a walker turning on an arc.
TEST(TrackCorrection, TurnsOnAnArcAreCorrectedCloserThanTurnsOnTheSpot)
{
    double worst[2] = {0, 0};
    for (const double radius : {0.0, 2.0}) {
        SCOPED_TRACE(radius);
        const GpsWalker walker = GpsWalker::SurveyLines(radius);
        const Walk walk = Simulate(walker, 300, kLag, kAhead); // three turns
        const auto corrected = CorrectTrack(walk.readings, {kLag, kAhead});
        for (size_t k = 0; k < corrected.size(); ++k) {
            if (!corrected[k].lagCovered)
                continue;
            double east = 0, north = 0;
            walker.ToLocal(walk.instrument[k], east, north);
            const double error = Metres(walk.instrument[k], corrected[k].latitude, corrected[k].longitude);
            const bool onLine = std::fabs(north - 10 * std::round(north / 10)) < 1e-6;
            if (onLine && east > 5 && east < 115) {
                EXPECT_LT(error, 0.1) << walk.seconds[k];
                continue;
            }
            worst[radius > 0] = std::max(worst[radius > 0], error);
            // Off the lines only on the legs between them or within the radius of a corner.
            const bool onLeg = std::fabs(east) < 1e-6 || std::fabs(east - 120) < 1e-6;
            if (!onLine && !onLeg) {
                const double cornerEast = east < 60 ? 0 : 120, cornerNorth = 10 * std::round(north / 10);
                EXPECT_LT(std::hypot(east - cornerEast, north - cornerNorth), std::sqrt(2.0) * radius + 1e-6);
            }
        }
    }
    EXPECT_GT(worst[0], kAhead);     // an antenna swinging round at once: more than its own distance
    EXPECT_LT(worst[1], kAhead);     // on the arc: less
    EXPECT_LT(worst[1], 0.6 * worst[0]);
}

TEST(TrackCorrection, ALagLongerThanTheTrackKeepsTheLastPlaceAndSaysSo)
{
    const std::vector<GpsFix> readings{{55.0, 37.0, 1000}, {55.00001, 37.0, 2000}, {55.00002, 37.0, 3000}};
    const auto c = CorrectTrack(readings, {5.0, 0.0});
    for (const CorrectedPosition& p : c) {
        EXPECT_FALSE(p.lagCovered);
        EXPECT_DOUBLE_EQ(p.latitude, 55.00002);
    }
    // Settings out of range are clamped; NaN is none.
    const auto clamped = CorrectTrack(readings, {50.0, 0.0});
    EXPECT_DOUBLE_EQ(clamped[0].latitude, 55.00002);
    const auto none = CorrectTrack(readings, {std::numeric_limits<double>::quiet_NaN(), 0.0});
    EXPECT_TRUE(none[0].lagCovered);
    EXPECT_DOUBLE_EQ(none[1].latitude, 55.00001);
    const auto far = CorrectTrack(readings, {0.0, 100.0});
    EXPECT_NEAR(Metres({55.0, 37.0}, far[0].latitude, far[0].longitude), 10.0, 1e-6); // 10 m behind
    EXPECT_LT(far[0].latitude, 55.0);
}

TEST(TrackCorrection, ReadingsWithoutPositionOrDirectionAndOutOfOrder)
{
    std::vector<GpsFix> readings{{55.0, 37.0, 1000}, {0, 0, 1500}, {55.0, 37.0, 2000}, {55.000001, 37.0, 3000}};
    auto c = CorrectTrack(readings, {1.0, 2.0});
    EXPECT_FALSE(c[1].hasPosition);
    for (size_t k : {0u, 2u, 3u}) {
        EXPECT_TRUE(c[k].hasPosition);
        EXPECT_FALSE(c[k].headingFound) << k; // 11 cm of travel: no direction
    }
    EXPECT_DOUBLE_EQ(c[0].latitude, 55.0); // the antenna's place, lag-corrected
    EXPECT_DOUBLE_EQ(c[3].latitude, 55.000001);
    EXPECT_TRUE(CorrectTrack({}, {1.0, 1.0}).empty());

    // A reading measured again later stands last in time, whatever its index; the tick
    // counter may wrap in between.
    const double metre = 1.0 / 111194.9;
    readings = {{55.0 + 4 * metre, 37.0, 0x00000200u},
                {55.0, 37.0, 0xFFFFF830u},
                {55.0 + metre, 37.0, 0xFFFFFC18u},
                {55.0 + 2 * metre, 37.0, 0x00000000u}};
    c = CorrectTrack(readings, {1.0, 0.0});
    EXPECT_NEAR(c[1].latitude, 55.0 + metre, 1e-9);
    EXPECT_NEAR(c[2].latitude, 55.0 + 2 * metre, 1e-9);
    for (size_t k : {0u, 3u}) { // a second on lies past the last reading
        EXPECT_FALSE(c[k].lagCovered) << k;
        EXPECT_NEAR(c[k].latitude, 55.0 + 4 * metre, 1e-9) << k;
    }
    EXPECT_TRUE(c[1].lagCovered && c[2].lagCovered);
}

} // namespace
