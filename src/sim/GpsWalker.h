#pragma once
#include <cstddef>
#include <vector>

struct GeoPoint {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// A walker going along a path at constant speed, to its end and back again, for ever.
// Pure: the position is a function of the time since the walk began.
class GpsWalker {
public:
    static constexpr double kWalkingSpeed = 1.2; // m/s

    explicit GpsWalker(std::vector<GeoPoint> path, double speedMps = kWalkingSpeed);
    // Round a 120 m × 60 m rectangle near Moscow.
    static GpsWalker Default();
    // Over the same rectangle along east-west lines 10 m apart, turning at their ends: the
    // walk of a track survey over the simulated ground (east is the ground model's x). With
    // a turn radius (up to 5 m) each corner becomes a quarter circle of that radius, as a
    // walker turns; without, the walker turns on the spot and an antenna off the centre
    // swings round at once. The lines between the turns are the same either way.
    static GpsWalker SurveyLines(double turnRadius = 0);
    // Metres east and north of the path's start (the ground model's x and y).
    void ToLocal(const GeoPoint& point, double& east, double& north) const;

    GeoPoint PositionAt(double seconds) const;
    double CourseAt(double seconds) const; // degrees true, 0 when standing
    double SpeedMps() const { return length_ > 0 ? speed_ : 0.0; }

private:
    struct Place {
        size_t leg;
        double along; // metres into the leg
        bool back;
    };
    Place Locate(double seconds) const;

    std::vector<GeoPoint> path_;
    std::vector<double> legLength_; // metres
    double length_ = 0;
    double speed_;
    double metresPerDegreeLongitude_ = 0;
};
