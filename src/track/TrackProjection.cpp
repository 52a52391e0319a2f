#include "track/TrackProjection.h"

#include <cmath>

TrackProjection::TrackProjection(const GpsFix& origin) : origin_(origin)
{
    const double radiansPerDegree = std::acos(0.0) / 90.0;
    my_ = radiansPerDegree * 6371000.0;
    mx_ = std::cos(origin.latitude * radiansPerDegree) * my_;
}

void TrackProjection::Project(const GpsFix& fix, double& east, double& north) const
{
    east = (fix.longitude - origin_.longitude) * mx_;
    north = (fix.latitude - origin_.latitude) * my_;
}

void TrackProjection::Unproject(double east, double north, double& latitude, double& longitude) const
{
    latitude = origin_.latitude + north / my_;
    longitude = origin_.longitude + (mx_ != 0 ? east / mx_ : 0.0);
}
