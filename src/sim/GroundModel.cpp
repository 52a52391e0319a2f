#include "sim/GroundModel.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr int kDepthSteps = 200;
constexpr double kDepthReach = 5.0; // in units of the pseudo-depth

int32_t To24Bit(double value)
{
    if (!std::isfinite(value))
        return 0;
    double clamped = std::clamp(std::round(value), -8388608.0, 8388607.0);
    return static_cast<int32_t>(clamped);
}

} // namespace

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
    double sigma = background;
    if (x >= blockX0 && x <= blockX1 && y >= blockY0 && y <= blockY1 && z >= blockTop && z <= blockBottom)
        sigma = blockConductivity;
    double dx = x - pipeX;
    double dz = z - pipeDepth;
    if (pipeRadius > 0)
        sigma += pipeConductivity * std::exp(-(dx * dx + dz * dz) / (pipeRadius * pipeRadius));
    return sigma;
}

double GroundModel::ApparentConductivity(const CalibrationSet& calibration, int i, double x, double y) const
{
    size_t index = static_cast<size_t>(std::clamp(i, 0, kFrequencyCount - 1));
    double ratio = calibration.F[index] > 0 ? calibration.F[0] / calibration.F[index] : 1.0;
    double delta = depthScale * std::sqrt(std::max(ratio, 0.0));
    if (!(delta > 0))
        return Conductivity(x, y, 0);
    // Midpoint rule over [0, reach·δ], normalised by the weight actually covered.
    double step = kDepthReach * delta / kDepthSteps;
    double sum = 0, weight = 0;
    for (int k = 0; k < kDepthSteps; ++k) {
        double z = (k + 0.5) * step;
        double w = std::exp(-z / delta);
        sum += w * Conductivity(x, y, z);
        weight += w;
    }
    return sum / weight;
}

ChannelValues SimulatedChannel(const CalibrationSet& c, int i, double sigma)
{
    size_t n = static_cast<size_t>(std::clamp(i, 0, kFrequencyCount - 1));
    const double pi = 2 * std::acos(0.0);
    const double mu0 = 4 * pi * 1e-7;
    const double omega = 2 * pi * 1000 * c.F[n];
    const double k1 = c.r1 != 0 && c.r2 != 0
                          ? (c.M2[n] / c.r2 - c.M1[n] / c.r1) * std::pow(c.rt * omega * mu0, 2) * c.nt * 0.0625
                          : 0.0;
    const double k2 = std::pow(omega * mu0, 2.5) * c.nt * c.rt * c.rt / (15 * std::sqrt(2.0)) * (c.M2[n] - c.M1[n]);
    if (!(sigma > 0) || !std::isfinite(sigma))
        sigma = 0;
    // What the conversion finds after all its corrections.
    std::complex<double> response(k1 * sigma, -k2 * std::pow(sigma, 1.5));

    // The conversion computes ((Z / |W|) − U / (CC·IU)) · P · GF with W = current · CC.
    // With the current equal to the air measurement's, |W| = CC·IU and
    // Z = U + CC·IU · response / (P · GF).
    const double currentScale = c.CC[n] * c.IA[n];
    const std::complex<double> phase(c.XP[n], c.YP[n]);
    const std::complex<double> under(c.XA[n], c.YA[n]);
    std::complex<double> z = under;
    if (phase != 0.0 && c.GF[n] != 0)
        z += currentScale * response / (phase * c.GF[n]);
    return {To24Bit(z.real() * 128), To24Bit(z.imag() * 128), To24Bit(c.IA[n]), 0};
}
