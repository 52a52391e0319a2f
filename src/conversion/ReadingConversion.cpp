#include "conversion/ReadingConversion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct Complex {
    double re;
    double im;
};

double Magnitude(Complex z) { return std::sqrt(z.re * z.re + z.im * z.im); }
Complex Scale(Complex z, double s) { return {z.re * s, z.im * s}; }
Complex Divide(Complex z, double s)
{
    const double r = 1.0 / s;
    return {z.re * r, z.im * r};
}
Complex Product(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }
// Values beyond the float range would become infinite in single precision.
float ToFloat(double v) { return std::fabs(v) <= double(std::numeric_limits<float>::max()) ? float(v) : 0.0f; }
bool ValidIndex(int i) { return i >= 0 && i < kFrequencyCount; }

// Component selected by "Signal component"; false for an unknown component.
bool Component(int32_t component, Complex z, double& v)
{
    switch (component) {
    case 0: v = Magnitude(z); return true;
    case 1: v = z.re; return true;
    case 2: v = z.im; return true;
    default: return false;
    }
}

double FrequencyPower(const ConversionSettings& s)
{
    switch (s.signalComponent) {
    case 0: return double(s.modulePower);
    case 1: return double(s.quadraturePower);
    default: return double(s.inphasePower);
    }
}

double InstrumentUnits(const ConversionSettings& s, const CalibrationSet& c, const MeasurementRecord& r,
                       int i, Complex z)
{
    if (s.normalizeToCurrent) {
        const double w = Magnitude(Scale({double(r.CurrentReal(i)), double(r.CurrentImaginary(i))}, c.CC[i]));
        if (w == 0.0)
            return 0.0;
        z = Divide(z, w);
    }
    if (s.subtractUndercompensation) {
        Complex u{c.XA[i], c.YA[i]};
        if (s.normalizeToCurrent) {
            const double d = c.CC[i] * c.IA[i];
            if (d == 0.0)
                return 0.0;
            u = Divide(u, d);
        }
        z = {z.re - u.re, z.im - u.im};
    }
    if (s.phaseEqualization)
        z = Product(z, {c.XP[i], c.YP[i]});
    double v = 0.0;
    if (!Component(s.signalComponent, z, v))
        return 0.0;
    if (s.normalizeToFrequency) {
        const double f = std::pow(c.F[i], FrequencyPower(s));
        if (f == 0.0)
            return 0.0;
        v /= f;
    }
    return Finite(v);
}

double ApparentValue(const ConversionSettings& s, const CalibrationSet& c, const MeasurementRecord& r,
                     int i, Complex pair)
{
    const auto corrected =
        CorrectedSignal(c, {pair.re, pair.im}, {double(r.CurrentReal(i)), double(r.CurrentImaginary(i))}, i);
    if (!corrected)
        return 0.0;
    double v = 0.0;
    if (!Component(s.signalComponent, {corrected->real(), corrected->imag()}, v))
        return 0.0;
    const double sigma = ApparentConductivity(s, c, v, i);
    switch (s.apparentValueKind) {
    case 0: return sigma == 0.0 ? 0.0 : Finite(1.0 / sigma);
    case 1: return Finite(1000.0 * sigma);
    default: return sigma;
    }
}

bool FilterApplies(const ConversionSettings& s) { return s.applySignalFilter && s.unitMeasure == 1; }

// x, or the mean of the used neighbours i-2..i+2 when x departs too far from it.
template <typename ValueAt>
double Filtered(const ConversionSettings& s, int i, double x, ValueAt valueAt)
{
    double sum = 0.0;
    int count = 0;
    for (int j = std::max(0, i - 2); j <= std::min(kFrequencyCount - 1, i + 2); ++j) {
        if (j != i && s.usedFrequencies[size_t(j)]) {
            sum += valueAt(j);
            ++count;
        }
    }
    if (count < 2)
        return x;
    const double m = sum / count;
    return std::fabs(x - m) > s.filterThreshold * std::min(x, m) ? m : x;
}

} // namespace

std::optional<std::complex<double>> CorrectedSignal(const CalibrationSet& c, std::complex<double> signal,
                                                    std::complex<double> current, int i)
{
    if (!ValidIndex(i))
        return std::nullopt;
    const double w = Magnitude(Scale({current.real(), current.imag()}, c.CC[i]));
    const double d = c.CC[i] * c.IA[i];
    if (w == 0.0 || d == 0.0)
        return std::nullopt;
    Complex z = Divide({signal.real(), signal.imag()}, w);
    const Complex u = Divide({c.XA[i], c.YA[i]}, d);
    z = {z.re - u.re, z.im - u.im};
    z = Product(z, {c.XP[i], c.YP[i]});
    z = Scale(z, c.GF[i]);
    return std::complex<double>(z.re, z.im);
}

double ConvertReading(const ConversionSettings& s, const CalibrationSet& c, const MeasurementRecord& r, int i)
{
    if (!ValidIndex(i) || r.Empty() || !r.ChannelPresent(i))
        return 0.0;
    const Complex z = s.signalChannelIsCurrent
                          ? Complex{double(r.CurrentReal(i)), double(r.CurrentImaginary(i))}
                          : Complex{double(r.SignalQuadrature(i)), double(r.SignalInphase(i))};
    switch (s.unitMeasure) {
    case 0: return InstrumentUnits(s, c, r, i, z);
    case 1: return ApparentValue(s, c, r, i, z);
    default: return 0.0;
    }
}

double ApparentConductivity(const ConversionSettings& s, const CalibrationSet& c, double v, int i)
{
    if (!ValidIndex(i) || c.r1 == 0.0 || c.r2 == 0.0)
        return 0.0;
    const double pi = 2.0 * std::acos(0.0);
    const double mu0 = 4.0 * pi * 1e-7;
    const double omega = 2.0 * pi * 1000.0 * c.F[i];
    const double a = c.rt * omega * mu0;
    const double k1 = (c.M2[i] / c.r2 - c.M1[i] / c.r1) * a * a * c.nt * 0.0625;
    const double k2 = std::pow(omega * mu0, 2.5) * c.nt * c.rt * c.rt / (15.0 * std::sqrt(2.0)) * (c.M2[i] - c.M1[i]);
    switch (s.signalComponent) {
    case 1:
        return k1 == 0.0 ? 0.0 : Finite(v / k1);
    case 2:
        return k2 == 0.0 ? 0.0 : Finite(std::pow(std::fabs(-v / k2), 2.0 / 3.0));
    case 0: {
        if (k2 == 0.0)
            return 0.0;
        const double A = (k1 / k2) * (k1 / k2);
        const double B = (v / k2) * (v / k2);
        // No signal: of the real roots 0 and -A only 0 is a conductivity.
        if (B == 0.0)
            return 0.0;
        const double p = -A * A / 3.0;
        const double q = 2.0 * std::pow(A / 3.0, 3.0) - B;
        const double D = std::pow(p / 3.0, 3.0) + (q / 2.0) * (q / 2.0);
        double t = 0.0;
        if (D >= 0.0) {
            const double sq = std::sqrt(D);
            t = std::cbrt(sq - q / 2.0) + std::cbrt(-q / 2.0 - sq);
        } else {
            const double r = std::sqrt(std::fabs(D) + (q / 2.0) * (q / 2.0));
            const double phi = std::acos(std::clamp(-q / (2.0 * r), -1.0, 1.0));
            t = 2.0 * std::cbrt(r) * std::cos(phi / 3.0);
        }
        return Finite(t - A / 3.0);
    }
    default:
        return 0.0;
    }
}

void ConvertSpectrum(const ConversionSettings& s, const CalibrationSet& c, const MeasurementRecord& r,
                     std::array<float, kFrequencyCount>& out)
{
    std::array<double, kFrequencyCount> x{};
    for (int i = 0; i < kFrequencyCount; ++i)
        x[size_t(i)] = s.usedFrequencies[size_t(i)] ? ConvertReading(s, c, r, i) : 0.0;
    for (int i = 0; i < kFrequencyCount; ++i) {
        double v = x[size_t(i)];
        if (FilterApplies(s))
            v = Filtered(s, i, v, [&](int j) { return x[size_t(j)]; });
        out[size_t(i)] = ToFloat(v);
    }
}

float ConvertReadingFiltered(const ConversionSettings& s, const CalibrationSet& c, const MeasurementRecord& r,
                             int i)
{
    double x = ConvertReading(s, c, r, i);
    if (ValidIndex(i) && FilterApplies(s))
        x = Filtered(s, i, x, [&](int j) { return ConvertReading(s, c, r, j); });
    return ToFloat(x);
}

float FrequencyDepth(const ConversionSettings& s, const CalibrationSet& c, int i)
{
    if (!ValidIndex(i))
        return 0.0f;
    return ToFloat(c.DC[size_t(i)] * double(s.depthScaleFactor));
}
