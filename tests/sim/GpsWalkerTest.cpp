#include "sim/GpsWalker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kMetresPerDegree = 6371000.0 * std::numbers::pi / 180.0;

double Metres(GeoPoint a, GeoPoint b)
{
    const double north = (b.latitude - a.latitude) * kMetresPerDegree;
    const double east = (b.longitude - a.longitude) * kMetresPerDegree * std::cos(a.latitude * std::numbers::pi / 180);
    return std::hypot(north, east);
}

// 100 m north, then 100 m east.
GpsWalker LShape()
{
    const double d = 100.0 / kMetresPerDegree;
    return GpsWalker({{0, 0}, {d, 0}, {d, d}});
}

// 200 m out: at the end at 166.7 s, back at the start at 333.3 s.
TEST(GpsWalker, WalksTheLegsAtWalkingSpeedAndTurnsBack)
{
    const GpsWalker w = LShape();
    EXPECT_DOUBLE_EQ(w.SpeedMps(), 1.2);
    const GeoPoint p = w.PositionAt(125); // 150 m walked, 50 m along the eastward leg
    EXPECT_NEAR(p.latitude * kMetresPerDegree, 100.0, 1e-6);
    EXPECT_NEAR(p.longitude * kMetresPerDegree, 50.0, 1e-6);
    EXPECT_NEAR(w.PositionAt(200.0 / 1.2).longitude * kMetresPerDegree, 100.0, 1e-6);
    const std::pair<double, double> courses[] = {{10, 0}, {100, 90}, {180, 270}, {300, 180}};
    for (auto [t, course] : courses)
        EXPECT_NEAR(w.CourseAt(t), course, 1e-9) << t;
    EXPECT_NEAR(Metres(w.PositionAt(10), w.PositionAt(10 + 400.0 / 1.2)), 0.0, 1e-6);

    const GpsWalker rectangle = GpsWalker::Default(); // 360 m around
    EXPECT_NEAR(Metres(rectangle.PositionAt(0), rectangle.PositionAt(360.0 / 1.2)), 0.0, 1e-6);
}

TEST(GpsWalker, DegeneratePathsStandStill)
{
    const GpsWalker single({{55.0, 37.0}});
    EXPECT_DOUBLE_EQ(single.PositionAt(100).latitude, 55.0);
    EXPECT_DOUBLE_EQ(single.SpeedMps(), 0);
    EXPECT_DOUBLE_EQ(GpsWalker({}).PositionAt(5).longitude, 0);
    const GpsWalker same({{1, 1}, {1, 1}});
    EXPECT_DOUBLE_EQ(same.PositionAt(5).latitude, 1);
    EXPECT_DOUBLE_EQ(same.CourseAt(5), 0);
    EXPECT_DOUBLE_EQ(LShape().PositionAt(-5).latitude, 0); // before the start: at the start
}

} // namespace
