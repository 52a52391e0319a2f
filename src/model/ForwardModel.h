#pragma once
#include <array>
#include <complex>
#include <string>
#include <vector>

#include "model/LayeredEarth.h"
#include "model/TeKernel.h"
#include "survey/Calibration.h"

using FrequencyMask = std::array<bool, kFrequencyCount>;
using ModelResponse = std::array<std::complex<double>, kFrequencyCount>;

constexpr FrequencyMask kAllFrequencies{true, true, true, true, true, true, true,
                                        true, true, true, true, true, true, true};

// Empty when the calibration set describes an instrument the model can compute: positive
// finite rt, nt, r1, r2 and frequencies, finite receiver factors.
std::string ModelCalibrationProblem(const CalibrationSet& calibration);

// The instrument of a calibration set over a layered earth. The transmitter loop is a
// vertical magnetic dipole of moment nt·π·rt² (unit current); the receivers are coplanar
// with it at r1 and r2, all at `height` metres above the ground; quasi-static, μ0 everywhere.
//
// The response is in the units of the reading conversion's corrected signal Z (quadrature
// real, in-phase imaginary): the receivers' voltages −iωμ0·area·H, weighted +M2 and −M1 as
// the instrument subtracts them, with the primary field compensated:
//   Z = −iωμ0 (nt rt² / 4) Σ_k ±M_k / r_k³ · (Hs/Hp)(r_k),
//   (Hs/Hp)(r) = −r³ ∫0^∞ λ² r_TE(λ) e^{−2λh} J0(λr) dλ.
// Its low-induction limit is the conversion's Z = K1·σ − i·K2·σ^1.5 over a half-space.
// Keeps scratch buffers: one object per thread.
class ForwardModel {
public:
    explicit ForwardModel(const CalibrationSet& calibration, double height = 0.0);

    // Why no response can be computed (the calibration set or the height), or empty.
    const std::string& Problem() const { return problem_; }

    // Z at the frequencies of `mask`, 0 at the others. With `jacobian`, also ∂Z_i/∂ln σ_j at
    // jacobian[i · layers + j] (zero rows for the frequencies left out). False, and nothing
    // written, when the model or the instrument cannot be computed.
    bool Evaluate(const LayeredEarth& earth, const FrequencyMask& mask, ModelResponse& z,
                  std::vector<std::complex<double>>* jacobian = nullptr);

private:
    std::string problem_;
    double height_;
    double r1_ = 0, r2_ = 0;
    std::array<double, kFrequencyCount> omega_{};
    std::array<double, kFrequencyCount> factor1_{}, factor2_{}; // ωμ0 nt rt²/4 · M_k / r_k
    TeKernelSum kernel_;
    std::vector<std::complex<double>> gradient_;
};
