#pragma once
#include "gps/GpsFix.h"

// Equirectangular projection about an origin fix: metres east and north of it, with the
// metres per degree of longitude taken at the origin's latitude (R = 6 371 000 m).
class TrackProjection {
public:
    explicit TrackProjection(const GpsFix& origin);
    void Project(const GpsFix& fix, double& east, double& north) const;
    // The inverse: the latitude and longitude of a point east and north of the origin.
    void Unproject(double east, double north, double& latitude, double& longitude) const;

private:
    GpsFix origin_;
    double mx_;
    double my_;
};
