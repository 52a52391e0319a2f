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

GpsWalker GpsWalker::SurveyLines()
{
    const GeoPoint origin = Default().PositionAt(0);
    const double metresPerDegreeLongitude = kMetresPerDegree * std::cos(origin.latitude * std::numbers::pi / 180.0);
    auto at = [&](double east, double north) {
        return GeoPoint{origin.latitude + north / kMetresPerDegree, origin.longitude + east / metresPerDegreeLongitude};
    };
    std::vector<GeoPoint> path;
    for (int line = 0; line <= 6; ++line) {
        const double north = 10.0 * line;
        const bool eastward = line % 2 == 0;
        path.push_back(at(eastward ? 0 : 120, north));
        path.push_back(at(eastward ? 120 : 0, north));
    }
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
