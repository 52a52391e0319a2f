#include "sim/GpsWalker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kMetresPerDegree = 6371000.0 * std::numbers::pi / 180.0;
}

GpsWalker::GpsWalker(std::vector<GeoPoint> path, double speedMps) : path_(std::move(path)), speed_(speedMps)
{
    if (path_.empty()) path_.push_back({});
    metresPerDegreeLongitude_ = kMetresPerDegree * std::cos(path_.front().latitude * std::numbers::pi / 180.0);
    for (size_t i = 1; i < path_.size(); ++i) {
        const double north = (path_[i].latitude - path_[i - 1].latitude) * kMetresPerDegree;
        const double east = (path_[i].longitude - path_[i - 1].longitude) * metresPerDegreeLongitude_;
        legLength_.push_back(std::hypot(north, east));
        length_ += legLength_.back();
    }
    if (!(speed_ > 0)) length_ = 0; // a walker that cannot move stands at the start
}

GpsWalker GpsWalker::Default()
{
    const double lat = 55.700000, lon = 37.500000;
    const double dLat = 60.0 / kMetresPerDegree;
    const double dLon = 120.0 / (kMetresPerDegree * std::cos(lat * std::numbers::pi / 180.0));
    return GpsWalker({{lat, lon}, {lat, lon + dLon}, {lat + dLat, lon + dLon}, {lat + dLat, lon}, {lat, lon}});
}

GpsWalker GpsWalker::SurveyLines(double turnRadius)
{
    const GeoPoint origin = Default().PositionAt(0);
    const double metresPerDegreeLongitude = kMetresPerDegree * std::cos(origin.latitude * std::numbers::pi / 180.0);
    auto at = [&](double east, double north) {
        return GeoPoint{origin.latitude + north / kMetresPerDegree, origin.longitude + east / metresPerDegreeLongitude};
    };
    struct Corner {
        double east, north;
    };
    std::vector<Corner> corners;
    for (int line = 0; line <= 6; ++line) {
        const double north = 10.0 * line;
        const bool eastward = line % 2 == 0;
        corners.push_back({eastward ? 0.0 : 120.0, north});
        corners.push_back({eastward ? 120.0 : 0.0, north});
    }
    const double radius = std::clamp(std::isfinite(turnRadius) ? turnRadius : 0.0, 0.0, 5.0);
    std::vector<GeoPoint> path{at(corners.front().east, corners.front().north)};
    for (size_t i = 1; i + 1 < corners.size(); ++i) {
        const Corner& c = corners[i];
        if (radius == 0) {
            path.push_back(at(c.east, c.north));
            continue;
        }
        // Every corner is a right angle between axis-parallel legs: the arc's centre lies
        // `radius` back along the way in and `radius` on along the way out.
        const auto unit = [](const Corner& from, const Corner& to) {
            const double length = std::hypot(to.east - from.east, to.north - from.north);
            return Corner{(to.east - from.east) / length, (to.north - from.north) / length};
        };
        const Corner in = unit(corners[i - 1], c), out = unit(c, corners[i + 1]);
        const double centreEast = c.east - in.east * radius + out.east * radius;
        const double centreNorth = c.north - in.north * radius + out.north * radius;
        const double from = std::atan2(-out.north, -out.east); // the arc's start seen from its centre
        const double turn = (in.east * out.north - in.north * out.east) * std::numbers::pi / 2; // left positive
        constexpr int kArcSegments = 16;
        for (int s = 0; s <= kArcSegments; ++s) {
            const double a = from + turn * s / kArcSegments;
            path.push_back(at(centreEast + radius * std::cos(a), centreNorth + radius * std::sin(a)));
        }
    }
    path.push_back(at(corners.back().east, corners.back().north));
    return GpsWalker(std::move(path));
}

void GpsWalker::ToLocal(const GeoPoint& point, double& east, double& north) const
{
    north = (point.latitude - path_.front().latitude) * kMetresPerDegree;
    east = (point.longitude - path_.front().longitude) * metresPerDegreeLongitude_;
}

GpsWalker::Place GpsWalker::Locate(double seconds) const
{
    double d = std::fmod(std::max(seconds, 0.0) * speed_, 2 * length_);
    const bool back = d > length_;
    if (back) d = 2 * length_ - d;
    size_t leg = 0;
    while (leg + 1 < legLength_.size() && d > legLength_[leg]) d -= legLength_[leg++];
    return {leg, std::min(d, legLength_[leg]), back};
}

GeoPoint GpsWalker::PositionAt(double seconds) const
{
    if (length_ <= 0) return path_.front();
    const Place p = Locate(seconds);
    const double f = legLength_[p.leg] > 0 ? p.along / legLength_[p.leg] : 0.0;
    const GeoPoint& a = path_[p.leg];
    const GeoPoint& b = path_[p.leg + 1];
    return {a.latitude + (b.latitude - a.latitude) * f, a.longitude + (b.longitude - a.longitude) * f};
}

double GpsWalker::CourseAt(double seconds) const
{
    if (length_ <= 0) return 0;
    const Place p = Locate(seconds);
    const GeoPoint& a = path_[p.leg];
    const GeoPoint& b = path_[p.leg + 1];
    const double north = (b.latitude - a.latitude) * kMetresPerDegree;
    const double east = (b.longitude - a.longitude) * metresPerDegreeLongitude_;
    double course = std::atan2(east, north) * 180.0 / std::numbers::pi;
    if (p.back) course += 180.0;
    return std::fmod(course + 360.0, 360.0);
}
