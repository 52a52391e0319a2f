#pragma once
// Slow, plain computations of the layered-earth response that the fast model is checked
// against: the closed-form half-space, the layer recursion written out with std::complex,
// and the Hankel integral by Gauss–Legendre quadrature with the standard library's J0.
#include <cmath>
#include <complex>
#include <vector>

#include "model/ForwardModel.h"
#include "model/LayeredEarth.h"
#include "survey/Calibration.h"

namespace model_reference {

using Complex = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;
constexpr double kMu0 = 4e-7 * kPi;

// Hs/Hp of coplanar vertical dipoles r apart on a uniform half-space (Wait 1955; Ward and
// Hohmann 1988, eq. 4.79 for Hz), e^{iωt}:
//   Hs/Hp = 2/(γr)² · [9 − (9 + 9γr + 4(γr)² + (γr)³) e^{−γr}] − 1,  γ² = iωμ0σ.
// For small |γr| the bracket cancels to a few digits, so its power series is used there.
inline Complex HalfSpaceRatio(double sigma, double omega, double r)
{
    const Complex x = std::sqrt(Complex(0, omega * kMu0 * sigma)) * r;
    if (std::abs(x) >= 1)
        return 2.0 / (x * x) * (9.0 - (9.0 + 9.0 * x + 4.0 * x * x + x * x * x) * std::exp(-x)) - 1.0;
    // 9 − (9 + 9x + 4x² + x³)e^{−x} = −Σ_{n≥2} c_n xⁿ with c_n the coefficient of (...)e^{−x}.
    Complex sum = 0, power = x * x;
    double factorial[40] = {1};
    for (int n = 1; n < 40; ++n)
        factorial[n] = factorial[n - 1] * n;
    for (int n = 2; n < 36; ++n) {
        const double s = n % 2 ? -1.0 : 1.0;
        const double c = 9 * s / factorial[n] - 9 * s / factorial[n - 1] + 4 * s / factorial[n - 2] -
                         (n >= 3 ? s / factorial[n - 3] : 0.0);
        sum -= c * power;
        power *= x;
    }
    return 2.0 * sum / (x * x) - 1.0;
}

// The TE kernel λ² r_TE(λ) e^{−2λh}, the recursion as printed, with std::tanh.
inline Complex Kernel(const LayeredEarth& earth, double omega, double lambda, double height)
{
    const size_t n = earth.Layers();
    auto u = [&](size_t j) { return std::sqrt(Complex(lambda * lambda, omega * kMu0 * earth.conductivity[j])); };
    Complex y = u(n - 1);
    for (size_t j = n - 1; j-- > 0;) {
        const Complex uj = u(j);
        const Complex t = std::tanh(uj * earth.thickness[j]);
        y = uj * (y + uj * t) / (uj + y * t);
    }
    return lambda * lambda * (lambda - y) / (lambda + y) * std::exp(-2 * lambda * height);
}

// Nodes and weights of n-point Gauss–Legendre quadrature on [−1, 1] (Newton on P_n).
inline void GaussLegendre(int n, std::vector<double>& x, std::vector<double>& w)
{
    x.assign(size_t(n), 0);
    w.assign(size_t(n), 0);
    for (int i = 0; i < n; ++i) {
        double z = std::cos(kPi * (i + 0.75) / (n + 0.5)), dp = 0;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1, p1 = z;
            for (int k = 2; k <= n; ++k) {
                const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (z * p1 - p0) / (z * z - 1);
            const double step = p1 / dp;
            z -= step;
            if (std::fabs(step) < 1e-16)
                break;
        }
        x[size_t(i)] = z;
        w[size_t(i)] = 2 / ((1 - z * z) * dp * dp);
    }
}

// ∫_a^b f(λ) J0(λr) dλ over panels: logarithmic below 1/r, then a quarter period wide.
template <typename F>
Complex HankelIntegral(F f, double r, double a, double b)
{
    std::vector<double> x, w;
    GaussLegendre(24, x, w);
    auto panel = [&](double lo, double hi) {
        Complex s = 0;
        for (size_t k = 0; k < x.size(); ++k) {
            const double l = 0.5 * (lo + hi) + 0.5 * (hi - lo) * x[k];
            s += w[k] * f(l) * std::cyl_bessel_j(0.0, l * r);
        }
        return 0.5 * (hi - lo) * s;
    };
    Complex sum = 0;
    double lo = a;
    const double knee = std::min(b, 1.0 / r);
    while (lo < knee) {
        const double hi = std::min(knee, lo * 1.25);
        sum += panel(lo, hi);
        lo = hi;
    }
    const double width = 0.5 * kPi / r;
    for (; lo < b; lo += width)
        sum += panel(lo, std::min(b, lo + width));
    return sum;
}

// Z of the instrument over `earth` at frequency i by quadrature. At height 0 the kernel of
// the top layer as a half-space is taken out and added back in closed form, so what is left
// dies off as e^{−2λ·d1} below the first interface; above the ground e^{−2λh} does it.
inline Complex SlowResponse(const CalibrationSet& c, const LayeredEarth& earth, int i, double height)
{
    const double omega = 2 * kPi * 1000 * c.F[size_t(i)];
    const double decay = height > 0 ? 2 * height : 2 * earth.thickness.at(0);
    const LayeredEarth top = HalfSpace(earth.conductivity[0]);
    auto integral = [&](double r) {
        auto f = [&](double l) {
            Complex k = Kernel(earth, omega, l, height);
            if (height == 0)
                k -= Kernel(top, omega, l, 0);
            return k;
        };
        Complex s = HankelIntegral(f, r, 1e-10, 40 / decay);
        if (height == 0)
            s += -HalfSpaceRatio(earth.conductivity[0], omega, r) / (r * r * r);
        return s;
    };
    const double moment = omega * kMu0 * c.nt * c.rt * c.rt / 4;
    return Complex(0, moment) * (c.M2[size_t(i)] * integral(c.r2) - c.M1[size_t(i)] * integral(c.r1));
}

// Z over a uniform half-space at height 0 from the closed form.
inline Complex HalfSpaceResponse(const CalibrationSet& c, double sigma, int i)
{
    const double omega = 2 * kPi * 1000 * c.F[size_t(i)];
    const double moment = omega * kMu0 * c.nt * c.rt * c.rt / 4;
    auto ratio = [&](double r, double m) { return m / (r * r * r) * HalfSpaceRatio(sigma, omega, r); };
    return Complex(0, -moment) * (ratio(c.r2, c.M2[size_t(i)]) - ratio(c.r1, c.M1[size_t(i)]));
}

} // namespace model_reference
