#include "sim/GroundModel.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t To24Bit(double value)
{
    if (!std::isfinite(value))
        return 0;
    double clamped = std::clamp(std::round(value), -8388608.0, 8388607.0);
    return static_cast<int32_t>(clamped);
}

// Where the pipe adds less than this share of the background, the column is plain.
constexpr double kPipeReach = 1e-9;

} // namespace

GroundModel GroundModel::Homogeneous(double conductivity)
{
    GroundModel ground;
    ground.background = HalfSpace(conductivity);
    ground.pipeConductivity = 0;
    ground.blockConductivity = conductivity;
    ground.blockX1 = ground.blockX0 - 1; // no block
    return ground;
}

GroundModel GroundModel::PlacedIn(double width, double height) const
{
    constexpr double kFieldWidth = 120.0, kFieldHeight = 60.0;
    GroundModel placed = *this;
    const double sx = width / kFieldWidth, sy = height / kFieldHeight;
    placed.pipeX *= sx;
    placed.blockX0 *= sx;
    placed.blockX1 *= sx;
    placed.blockY0 *= sy;
    placed.blockY1 *= sy;
    return placed;
}

double GroundModel::Conductivity(double x, double y, double z) const
{
    double sigma = background.ConductivityAt(z);
    if (x >= blockX0 && x <= blockX1 && y >= blockY0 && y <= blockY1 && z >= blockTop && z <= blockBottom)
        sigma = blockConductivity;
    double dx = x - pipeX;
    double dz = z - pipeDepth;
    if (pipeRadius > 0)
        sigma += pipeConductivity * std::exp(-(dx * dx + dz * dz) / (pipeRadius * pipeRadius));
    return sigma;
}

LayeredEarth GroundModel::EarthBelow(double x, double y) const
{
    const double dx = x - pipeX;
    const double lowest = *std::min_element(background.conductivity.begin(), background.conductivity.end());
    const bool pipe = pipeRadius > 0 && pipeConductivity > 0 &&
                      pipeConductivity * std::exp(-dx * dx / (pipeRadius * pipeRadius)) > kPipeReach * lowest;
    const bool block = x >= blockX0 && x <= blockX1 && y >= blockY0 && y <= blockY1;
    if (!pipe && !block)
        return background;
    LayeredEarth earth;
    auto add = [&](double sigma, double thickness) {
        if (!earth.conductivity.empty() &&
            std::fabs(sigma - earth.conductivity.back()) <= kPipeReach * earth.conductivity.back()) {
            earth.thickness.back() += thickness;
            return;
        }
        earth.conductivity.push_back(sigma);
        earth.thickness.push_back(thickness);
    };
    double z = 0;
    for (; z < 10 - 1e-9; z += 0.25)
        add(Conductivity(x, y, z + 0.125), 0.25);
    for (; z < 30 - 1e-9; z += 1)
        add(Conductivity(x, y, z + 0.5), 1);
    add(Conductivity(x, y, 1e6), 0);
    earth.thickness.pop_back(); // the last layer reaches down without end
    return earth;
}

double SimulatedUnit(const CalibrationSet& c, int i)
{
    const size_t n = static_cast<size_t>(std::clamp(i, 0, kFrequencyCount - 1));
    const double current = c.CC[n] * c.IA[n];
    return current != 0 ? std::hypot(c.XP[n], c.YP[n]) * c.GF[n] / current : 0.0;
}

ChannelValues SimulatedChannel(const CalibrationSet& c, int i, std::complex<double> response)
{
    size_t n = static_cast<size_t>(std::clamp(i, 0, kFrequencyCount - 1));
    if (!std::isfinite(response.real()) || !std::isfinite(response.imag()))
        response = 0;
    // The conversion computes ((S / |W|) − U / (CC·IU)) · P · GF with W = current · CC.
    // With the current equal to the air measurement's, |W| = CC·IU and
    // S = U + CC·IU · Z / (P · GF).
    const double currentScale = c.CC[n] * c.IA[n];
    const std::complex<double> phase(c.XP[n], c.YP[n]);
    const std::complex<double> under(c.XA[n], c.YA[n]);
    std::complex<double> s = under;
    if (phase != 0.0 && c.GF[n] != 0)
        s += currentScale * response / (phase * c.GF[n]);
    return {To24Bit(s.real() * 128), To24Bit(s.imag() * 128), To24Bit(c.IA[n]), 0};
}
