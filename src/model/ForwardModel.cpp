#include "model/ForwardModel.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMu0 = 4e-7 * kPi;

bool Positive(double v) { return std::isfinite(v) && v > 0; }

} // namespace

std::string ModelCalibrationProblem(const CalibrationSet& c)
{
    if (!Positive(c.rt) || !Positive(c.nt))
        return "the calibration set has no transmitter loop (rt, nt)";
    if (!Positive(c.r1) || !Positive(c.r2) || c.r1 == c.r2)
        return "the calibration set has no receiver distances (r1, r2)";
    for (int i = 0; i < kFrequencyCount; ++i) {
        if (!Positive(c.F[size_t(i)]))
            return "the calibration set has a frequency that is not positive";
        if (!std::isfinite(c.M1[size_t(i)]) || !std::isfinite(c.M2[size_t(i)]))
            return "the calibration set has a receiver factor that is not a number";
    }
    return {};
}

ForwardModel::ForwardModel(const CalibrationSet& c, double height) : problem_(ModelCalibrationProblem(c)), height_(height)
{
    if (problem_.empty() && !(height >= 0 && height <= 1000))
        problem_ = "the height is not between 0 and 1000 m";
    if (!problem_.empty())
        return;
    r1_ = c.r1;
    r2_ = c.r2;
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
        omega_[i] = 2 * kPi * 1000 * c.F[i];
        const double moment = omega_[i] * kMu0 * c.nt * c.rt * c.rt / 4;
        factor1_[i] = moment * c.M1[i] / c.r1;
        factor2_[i] = moment * c.M2[i] / c.r2;
    }
}

bool ForwardModel::Evaluate(const LayeredEarth& earth, const FrequencyMask& mask, ModelResponse& z,
                            std::vector<std::complex<double>>* jacobian)
{
    if (!problem_.empty() || !earth.Problem().empty())
        return false;
    const HankelFilter& filter = GuptasarmaSingh61J0();
    const size_t n = earth.Layers();
    if (jacobian)
        jacobian->assign(size_t(kFrequencyCount) * n, {});
    const std::complex<double> i1(0, 1);
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
        z[i] = {};
        if (!mask[i])
            continue;
        // (1/r) Σ w K(b/r) is ∫ K J0(λr) dλ = −(Hs/Hp)/r³; with the −iωμ0 of the voltage,
        // Z = i (ωμ0 nt rt²/4) (M2/r2 · S2 − M1/r1 · S1).
        std::complex<double>* g = nullptr;
        if (jacobian) {
            gradient_.assign(2 * n, {});
            g = gradient_.data();
        }
        const std::complex<double> s1 = kernel_.Sum(filter, r1_, omega_[i], height_, earth, g);
        const std::complex<double> s2 = kernel_.Sum(filter, r2_, omega_[i], height_, earth, g ? g + n : nullptr);
        z[i] = i1 * (factor2_[i] * s2 - factor1_[i] * s1);
        if (jacobian)
            for (size_t j = 0; j < n; ++j)
                (*jacobian)[i * n + j] =
                    i1 * (factor2_[i] * gradient_[n + j] - factor1_[i] * gradient_[j]) * earth.conductivity[j];
    }
    return true;
}
