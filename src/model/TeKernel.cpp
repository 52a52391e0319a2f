#include "model/TeKernel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMu0 = 4e-7 * 3.14159265358979323846;

// Below a layer whose top lies this many attenuation lengths (Σ 2 Re(u) d) down, the layers
// change Y1 by less than e^{-40}: the layer is taken as a half-space.
constexpr double kNegligibleAttenuation = 40.0;

// Where λ < ε·min_j |k_j| (k_j² = iωμ0σ_j), u_j = k_j (1 + O(ε²)) and Y1 is its value at
// λ = 0 to about ε²: those abscissae share one recursion.
constexpr double kSmallLambda = 0.02;

// cos y and sin y. Most layers are thin against the skin depth, so that the phase of
// e^{-2ud} is small, where a Taylor series to y⁹ is good to 3e-13 and cheaper than libm.
inline void CosSin(double y, double& c, double& s)
{
    if (std::fabs(y) > 0.25) {
        c = std::cos(y);
        s = std::sin(y);
        return;
    }
    const double y2 = y * y;
    c = 1 - y2 / 2 * (1 - y2 / 12 * (1 - y2 / 30 * (1 - y2 / 56)));
    s = y * (1 - y2 / 6 * (1 - y2 / 20 * (1 - y2 / 42 * (1 - y2 / 72))));
}

// One step of the recursion for `count` abscissae: Y_j = u_j A / B from Y_{j+1}, with
// A = Y(1 + t) + u(1 − t), B = u(1 + t) + Y(1 − t) (tanh(ud) written with t = e^{-2ud}, which
// stays bounded however thick the layer). Plain arrays, so that the loop vectorises.
void Recurse(size_t count, const double* __restrict ur, const double* __restrict ui, const double* __restrict tr,
             const double* __restrict ti, const double* __restrict belowR, const double* __restrict belowI,
             double* __restrict yr, double* __restrict yi)
{
    for (size_t k = 0; k < count; ++k) {
        const double Yr = belowR[k], Yi = belowI[k];
        const double opr = 1.0 + tr[k], opi = ti[k];
        const double omr = 1.0 - tr[k], omi = -ti[k];
        const double Ar = Yr * opr - Yi * opi + ur[k] * omr - ui[k] * omi;
        const double Ai = Yr * opi + Yi * opr + ur[k] * omi + ui[k] * omr;
        const double Br = ur[k] * opr - ui[k] * opi + Yr * omr - Yi * omi;
        const double Bi = ur[k] * opi + ui[k] * opr + Yr * omi + Yi * omr;
        const double s = 1.0 / (Br * Br + Bi * Bi);
        const double qr = (Ar * Br + Ai * Bi) * s, qi = (Ai * Br - Ar * Bi) * s;
        yr[k] = ur[k] * qr - ui[k] * qi;
        yi[k] = ur[k] * qi + ui[k] * qr;
    }
}

// One layer of the backward sweep: the seed p (∂(wK)/∂Y_j) times ∂Y_j/∂σ_j into d, and the
// seed carried down to Y_{j+1}. ∂u_j/∂σ_j = iωμ0/(2u_j) = i c / u_j; ∂Y_j/∂Y_{j+1} = 4u²t/B²;
// ∂Y_j/∂u_j = A/B + u (A_u B − A B_u)/B², t depending on u as dt/du = −2d t.
void Descend(size_t count, double d, double c, const double* __restrict urs, const double* __restrict uis,
             const double* __restrict trs, const double* __restrict tis, const double* __restrict belowR,
             const double* __restrict belowI, double* __restrict pr, double* __restrict pi, double* __restrict outR,
             double* __restrict outI)
{
    for (size_t k = 0; k < count; ++k) {
        const double Yr = belowR[k], Yi = belowI[k];
        const double ur = urs[k], ui = uis[k];
        const double tr = trs[k], ti = tis[k];
        const double opr = 1.0 + tr, opi = ti, omr = 1.0 - tr, omi = -ti;
        const double Ar = Yr * opr - Yi * opi + ur * omr - ui * omi;
        const double Ai = Yr * opi + Yi * opr + ur * omi + ui * omr;
        const double Br = ur * opr - ui * opi + Yr * omr - Yi * omi;
        const double Bi = ur * opi + ui * opr + Yr * omi + Yi * omr;
        const double s = 1.0 / (Br * Br + Bi * Bi);
        const double ibr = Br * s, ibi = -Bi * s;
        const double qr = Ar * ibr - Ai * ibi, qi = Ar * ibi + Ai * ibr; // A/B
        const double tpr = -2.0 * d * tr, tpi = -2.0 * d * ti;         // dt/du
        const double er = Yr - ur, ei = Yi - ui;
        const double etr = er * tpr - ei * tpi, eti = er * tpi + ei * tpr;
        const double Aur = omr + etr, Aui = omi + eti; // ∂A/∂u
        const double Bur = opr - etr, Bui = opi - eti; // ∂B/∂u
        const double xr = Aur - (qr * Bur - qi * Bui), xi = Aui - (qr * Bui + qi * Bur);
        const double yr = xr * ibr - xi * ibi, yi = xr * ibi + xi * ibr;
        const double gur = qr + ur * yr - ui * yi, gui = qi + ur * yi + ui * yr; // ∂Y_j/∂u_j
        const double su = c / (ur * ur + ui * ui);
        const double vr = ui * su, vi = ur * su;
        const double dsr = gur * vr - gui * vi, dsi = gur * vi + gui * vr;
        const double Pr = pr[k], Pi = pi[k];
        outR[k] = Pr * dsr - Pi * dsi;
        outI[k] = Pr * dsi + Pi * dsr;
        const double u2r = ur * ur - ui * ui, u2i = 2.0 * ur * ui;
        const double ib2r = ibr * ibr - ibi * ibi, ib2i = 2.0 * ibr * ibi;
        const double ar = u2r * tr - u2i * ti, ai = u2r * ti + u2i * tr;
        const double fr = ar * ib2r - ai * ib2i, fi = ar * ib2i + ai * ib2r;
        pr[k] = 4.0 * (Pr * fr - Pi * fi);
        pi[k] = 4.0 * (Pr * fi + Pi * fr);
    }
}

} // namespace

std::complex<double> TeKernelSum::Sum(const HankelFilter& filter, double r, double omega, double height,
                                      const LayeredEarth& earth, std::complex<double>* gradient)
{
    const size_t n = earth.Layers();
    const double lowest = *std::min_element(earth.conductivity.begin(), earth.conductivity.end());
    const double smallLambda = kSmallLambda * std::sqrt(omega * kMu0 * lowest);
    size_t small = 0; // abscissae below smallLambda, all at the start
    while (small < filter.size && filter.base[small] / r < smallLambda)
        ++small;
    // Slot 0 is λ = 0 when some abscissae are small; then one slot per other abscissa.
    const size_t first = small > 0 ? 1 : 0;
    const size_t p = first + filter.size - small;
    if (ur_.size() < n * p) {
        for (std::vector<double>* v : {&ur_, &ui_, &tr_, &ti_, &yr_, &yi_})
            v->resize(n * p);
    }
    lambda_.resize(p);
    attenuation_.assign(p, 0.0);
    pr_.assign(p, 0.0);
    pi_.assign(p, 0.0);
    dr_.resize(p);
    di_.resize(p);
    reach_.resize(n + 1);
    if (first)
        lambda_[0] = 0;
    for (size_t k = first; k < p; ++k)
        lambda_[k] = filter.base[small + k - first] / r;

    // u_j = sqrt(λ² + iωμ0σ_j) with a positive real part, and t_j = e^{-2 u_j d_j}. Slots
    // [0, reach_[j]) still see layer j; λ grows with the slot, so those are a prefix.
    reach_[0] = p;
    for (size_t j = 0; j < n; ++j) {
        const size_t count = reach_[j];
        const double b = omega * kMu0 * earth.conductivity[j];
        double* ur = &ur_[j * p];
        double* ui = &ui_[j * p];
        for (size_t k = 0; k < count; ++k) {
            const double a = lambda_[k] * lambda_[k];
            const double m = std::sqrt(a * a + b * b);
            const double re = std::sqrt(0.5 * (m + a));
            ur[k] = re;
            ui[k] = b / (2.0 * re);
        }
        size_t next = 0;
        if (j + 1 < n) {
            const double d = earth.thickness[j];
            double* tr = &tr_[j * p];
            double* ti = &ti_[j * p];
            for (size_t k = 0; k < count; ++k) {
                const double x = 2.0 * ur[k] * d;
                const double e = std::exp(-x);
                const double y = 2.0 * ui[k] * d;
                double c, s;
                CosSin(y, c, s);
                tr[k] = e * c;
                ti[k] = -e * s;
                attenuation_[k] += x;
            }
            while (next < count && attenuation_[next] <= kNegligibleAttenuation)
                ++next;
        }
        reach_[j + 1] = next;
    }

    // The recursion from the bottom up; where layer j is the last that a slot sees, Y_j = u_j.
    for (size_t j = n; j-- > 0;) {
        const size_t o = j * p;
        for (size_t k = reach_[j + 1]; k < reach_[j]; ++k) {
            yr_[o + k] = ur_[o + k];
            yi_[o + k] = ui_[o + k];
        }
        if (reach_[j + 1] > 0)
            Recurse(reach_[j + 1], &ur_[o], &ui_[o], &tr_[o], &ti_[o], &yr_[o + p], &yi_[o + p], &yr_[o], &yi_[o]);
    }

    // K = λ² e^{-2λh} (λ − Y1)/(λ + Y1). The backward sweep starts from w ∂K/∂Y1 =
    // −2 w λ³ e^{-2λh}/(λ + Y1)²; the small abscissae add theirs to the seed of slot 0.
    double sumr = 0, sumi = 0;
    for (size_t f = 0; f < filter.size; ++f) {
        const size_t k = f < small ? 0 : first + f - small;
        const double l = filter.base[f] / r;
        const double scale = filter.weight[f] * l * l * std::exp(-2.0 * l * height);
        const double dr = l + yr_[k], di = yi_[k];
        const double s = 1.0 / (dr * dr + di * di);
        const double nr = l - yr_[k], ni = -yi_[k];
        sumr += scale * (nr * dr + ni * di) * s;
        sumi += scale * (ni * dr - nr * di) * s;
        const double ir = dr * s, ii = -di * s;
        pr_[k] += -2.0 * l * scale * (ir * ir - ii * ii);
        pi_[k] += -2.0 * l * scale * (2.0 * ir * ii);
    }
    if (!gradient)
        return {sumr, sumi};

    // ∂Y1/∂σ_j = (Π_{i<j} ∂Y_i/∂Y_{i+1}) ∂Y_j/∂u_j ∂u_j/∂σ_j, layer by layer from the top;
    // where layer j is a slot's last, ∂Y_j/∂u_j = 1.
    const double c = 0.5 * omega * kMu0;
    for (size_t j = 0; j < n; ++j) {
        const size_t o = j * p;
        double gr = 0, gi = 0;
        for (size_t k = reach_[j + 1]; k < reach_[j]; ++k) {
            const double ur = ur_[o + k], ui = ui_[o + k];
            const double s = c / (ur * ur + ui * ui);
            const double vr = ui * s, vi = ur * s; // iωμ0/(2u)
            gr += pr_[k] * vr - pi_[k] * vi;
            gi += pr_[k] * vi + pi_[k] * vr;
        }
        if (reach_[j + 1] > 0) {
            const size_t count = reach_[j + 1];
            Descend(count, earth.thickness[j], c, &ur_[o], &ui_[o], &tr_[o], &ti_[o], &yr_[o + p], &yi_[o + p],
                    pr_.data(), pi_.data(), dr_.data(), di_.data());
            for (size_t k = 0; k < count; ++k) {
                gr += dr_[k];
                gi += di_[k];
            }
        }
        gradient[j] += std::complex<double>(gr, gi);
    }
    return {sumr, sumi};
}
