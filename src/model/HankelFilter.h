#pragma once
#include <cstddef>

// A digital linear filter for the Hankel transform of order 0:
// ∫0^∞ K(λ) J0(λr) dλ ≈ (1/r) Σ_k weight[k] · K(base[k] / r).
struct HankelFilter {
    const double* base;
    const double* weight;
    size_t size;
};

// The 61-point J0 filter of Guptasarma and Singh (1997). Its abscissae reach down to
// 8e-6 / r, where the in-phase response of a resistive ground at the lowest frequencies is
// made, so it holds 1e-5 against the closed-form half-space where the 101- and 201-point
// filters designed for marine CSEM (Key 2009, 2012) begin too high.
const HankelFilter& GuptasarmaSingh61J0();
