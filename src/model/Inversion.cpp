#include "model/Inversion.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "model/CholeskySolve.h"

namespace {

using Complex = std::complex<double>;

// Data as a real vector: quadrature and in-phase of each used frequency, with their noise.
struct Data {
    std::vector<double> value, sigma;
    std::vector<size_t> frequency; // of each pair
    FrequencyMask used{};

    size_t Size() const { return value.size(); }
};

Data MakeData(const StationData& station, const NoiseModel& noise)
{
    Data d;
    d.used = station.used;
    const double relative = std::max(0.0, noise.relative), floorUnits = std::max(0.0, noise.floorUnits);
    for (size_t i = 0; i < size_t(kFrequencyCount); ++i) {
        if (!station.used[i])
            continue;
        const double floor = floorUnits * station.unit[i];
        for (double v : {station.z[i].real(), station.z[i].imag()}) {
            d.value.push_back(v);
            d.sigma.push_back(std::hypot(relative * v, floor));
        }
        d.frequency.push_back(i);
    }
    return d;
}

// A datum without noise (no relative part, no floor, a zero value) would weigh without end.
bool NoiseUsable(const Data& d)
{
    for (double s : d.sigma)
        if (!(s > 0) || !std::isfinite(s))
            return false;
    return true;
}

// Noise-weighted residual (data − model) / σ.
void Residual(const Data& d, const ModelResponse& z, std::vector<double>& r)
{
    r.resize(d.Size());
    for (size_t k = 0; k < d.frequency.size(); ++k) {
        const Complex v = z[d.frequency[k]];
        r[2 * k] = (d.value[2 * k] - v.real()) / d.sigma[2 * k];
        r[2 * k + 1] = (d.value[2 * k + 1] - v.imag()) / d.sigma[2 * k + 1];
    }
}

double Chi2(const std::vector<double>& r)
{
    double s = 0;
    for (double v : r)
        s += v * v;
    return r.empty() ? 0.0 : s / double(r.size());
}

// Noise-weighted Jacobian with respect to ln σ: rows as the data, `layers` columns.
void WeightedJacobian(const Data& d, const std::vector<Complex>& jacobian, size_t layers, std::vector<double>& g)
{
    g.resize(d.Size() * layers);
    for (size_t k = 0; k < d.frequency.size(); ++k)
        for (size_t j = 0; j < layers; ++j) {
            const Complex v = jacobian[d.frequency[k] * layers + j];
            g[(2 * k) * layers + j] = v.real() / d.sigma[2 * k];
            g[(2 * k + 1) * layers + j] = v.imag() / d.sigma[2 * k + 1];
        }
}

// Model and its response, misfit and weighted Jacobian.
struct State {
    std::vector<double> m; // ln σ per layer
    ModelResponse z{};
    std::vector<double> residual, g;
    double chi2 = 0;
};

class Problem {
public:
    Problem(ForwardModel& model, const Data& data) : model_(model), data_(data) {}

    // Fills the response, residual and (optionally) Jacobian of state.m on `thickness`.
    bool Evaluate(State& s, const std::vector<double>& thickness, bool withJacobian)
    {
        earth_.thickness = thickness;
        earth_.conductivity.resize(s.m.size());
        for (size_t j = 0; j < s.m.size(); ++j)
            earth_.conductivity[j] = std::exp(std::clamp(s.m[j], kLowest, kHighest));
        if (!model_.Evaluate(earth_, data_.used, s.z, withJacobian ? &jacobian_ : nullptr))
            return false;
        Residual(data_, s.z, s.residual);
        s.chi2 = Chi2(s.residual);
        if (withJacobian)
            WeightedJacobian(data_, jacobian_, s.m.size(), s.g);
        return std::isfinite(s.chi2);
    }

    const Data& data() const { return data_; }

    // ln σ is kept within 1e-6 .. 1e3 S/m.
    static constexpr double kLowest = -13.8155;
    static constexpr double kHighest = 6.9078;

private:
    ForwardModel& model_;
    const Data& data_;
    LayeredEarth earth_;
    std::vector<Complex> jacobian_;
};

// The half-space that fits best: a coarse scan, then Gauss–Newton on ln σ.
double FitHalfSpace(Problem& problem)
{
    State s;
    s.m = {0.0};
    const std::vector<double> none;
    double best = std::log(0.01), bestChi2 = INFINITY;
    for (double lnSigma = std::log(1e-4); lnSigma < std::log(20.0); lnSigma += 0.5 * std::log(10.0)) {
        s.m[0] = lnSigma;
        if (problem.Evaluate(s, none, false) && s.chi2 < bestChi2) {
            bestChi2 = s.chi2;
            best = lnSigma;
        }
    }
    s.m[0] = best;
    for (int iteration = 0; iteration < 8; ++iteration) {
        if (!problem.Evaluate(s, none, true))
            break;
        double gg = 0, gr = 0;
        for (size_t k = 0; k < s.residual.size(); ++k) {
            gg += s.g[k] * s.g[k];
            gr += s.g[k] * s.residual[k];
        }
        if (!(gg > 0))
            break;
        const double step = std::clamp(gr / gg, -1.0, 1.0);
        s.m[0] = std::clamp(s.m[0] + step, Problem::kLowest, Problem::kHighest);
        if (std::fabs(step) < 1e-3)
            break;
    }
    return s.m[0];
}

// What the data resolve: below the depth where changing the ground by a factor e moves the
// data by less than their noise (rms over the data), they cannot tell.
double ResolvedSensitivity(const Data& d) { return std::sqrt(double(d.Size())); }

// The bottom of the layered model: twice the depth of investigation of the best-fitting
// half-space, so that the layers reach well below what the data resolve (the frequencies,
// the receivers' spacing, the ground's conductivity and the noise all enter through it)
// but no deeper, where layers would only be wasted. Found at cuts doubling in depth, then
// interpolated in log–log so that neighbouring stations get neighbouring bottoms. Kept
// within 2 r1 and 200 m.
double ChooseBottom(Problem& problem, double lnSigma, double r1)
{
    // One evaluation of the half-space cut at 0.5, 1, 2, … 128 m: the columns of its
    // Jacobian summed from the bottom up are the sensitivities to all below each cut.
    constexpr size_t kCuts = 9;
    State s;
    s.m.assign(kCuts + 1, lnSigma);
    std::vector<double> thickness(kCuts), depth(kCuts);
    for (size_t k = 0; k < kCuts; ++k) {
        depth[k] = 0.5 * std::pow(2.0, double(k));
        thickness[k] = k == 0 ? depth[0] : depth[k] - depth[k - 1];
    }
    if (!problem.Evaluate(s, thickness, true))
        return 2 * r1;
    const double threshold = ResolvedSensitivity(problem.data());
    const size_t rows = s.residual.size();
    std::vector<double> column(rows, 0.0), below(kCuts);
    for (size_t k = kCuts; k-- > 0;) {
        double sum = 0;
        for (size_t i = 0; i < rows; ++i) {
            column[i] += s.g[i * (kCuts + 1) + k + 1];
            sum += column[i] * column[i];
        }
        below[k] = std::sqrt(sum);
    }
    if (below[0] <= threshold)
        return 2 * r1;
    for (size_t k = 1; k < kCuts; ++k) {
        if (below[k] > threshold)
            continue;
        const double f = below[k] > 0 ? std::log(below[k - 1] / threshold) / std::log(below[k - 1] / below[k]) : 0.0;
        return std::clamp(2 * depth[k - 1] * std::pow(2.0, std::clamp(f, 0.0, 1.0)), 2 * r1, 200.0);
    }
    return 200.0;
}

// Thicknesses of the layers but the last, growing geometrically from `first` so that they
// reach down to `bottom` (equal when there is no room to grow).
std::vector<double> LayerThicknesses(size_t layers, double first, double bottom)
{
    const size_t n = layers - 1;
    std::vector<double> h(n, bottom / double(n));
    if (first * double(n) >= bottom)
        return h;
    // Σ first·q^j = bottom: bisection on the growth q, which lies between 1 and bottom/first.
    double lo = 1.0, hi = bottom / first;
    for (int k = 0; k < 100; ++k) {
        const double q = 0.5 * (lo + hi);
        double sum = 0, t = first;
        for (size_t j = 0; j < n; ++j, t *= q)
            sum += t;
        (sum > bottom ? hi : lo) = q;
    }
    double t = first, sum = 0;
    for (size_t j = 0; j < n; ++j, t *= lo)
        sum += h[j] = t;
    for (double& v : h)
        v *= bottom / sum;
    return h;
}

// Reference model resampled at the middle of each layer, ln σ.
std::vector<double> Resample(const LayeredEarth& reference, const std::vector<double>& thickness)
{
    std::vector<double> m;
    double top = 0;
    for (size_t j = 0; j <= thickness.size(); ++j) {
        const double middle = j < thickness.size() ? top + thickness[j] / 2 : top + 1;
        const double sigma = reference.ConductivityAt(middle);
        m.push_back(std::clamp(std::log(std::max(sigma, 1e-12)), Problem::kLowest, Problem::kHighest));
        if (j < thickness.size())
            top += thickness[j];
    }
    return m;
}

// Occam's target: χ² per datum of 1, met within kTolerance.
constexpr double kTarget = 1.0;
constexpr double kTolerance = 1.05;
// A step asks the linearised problem to remove up to 90% of the misfit (kAmbitious) or,
// after a step that fell well short of its promise, 30% (kCautious).
constexpr double kAmbitious = 0.1;
constexpr double kCautious = 0.7;
// Interfaces are sharpened once χ² is below this, or when smooth models stop improving.
constexpr double kSharpenBelow = 5.0;
// Sharpening steps after which a fitted model is taken, and the rms change of ln σ below
// which a step counts as converged.
constexpr int kSharpenSteps = 3;
constexpr double kConverged = 0.05;

// Minimum gradient support (Portniaguine and Zhdanov 1999) by reweighting: the penalty on the
// jump Δ between neighbouring layers is Δ²/(Δ² + ε²); for the next step it is written as
// w·Δ² with w = ε²/(Δ₀² + ε²) from the current model. Small jumps are smoothed as by a plain
// roughness penalty; large ones cost hardly more than small ones, so a layered ground keeps
// its interfaces sharp instead of being smeared over the neighbouring layers.
constexpr double kGradientSupport = 0.3; // ε, in ln σ

// The regularisation matrix Dᵀ W D + α I (α only with a reference), n × n; W is 1 (plain
// roughness) until `sharpen`.
void Regularisation(const std::vector<double>& m, bool sharpen, double alpha, std::vector<double>& r)
{
    const size_t n = m.size();
    r.assign(n * n, 0.0);
    const double e2 = kGradientSupport * kGradientSupport;
    for (size_t j = 0; j + 1 < n; ++j) {
        const double jump = m[j + 1] - m[j];
        const double w = sharpen ? e2 / (jump * jump + e2) : 1.0;
        r[j * n + j] += w;
        r[(j + 1) * n + j + 1] += w;
        r[j * n + j + 1] -= w;
        r[(j + 1) * n + j] -= w;
    }
    for (size_t j = 0; j < n; ++j)
        r[j * n + j] += alpha + 1e-10;
}

// One linearised step: the models for each trade-off β and their predicted misfit.
class LinearStep {
public:
    LinearStep(const State& s, const std::vector<double>& reg, const std::vector<double>& reference, double alpha)
        : n_(s.m.size()), rows_(s.residual.size()), g_(s.g), reg_(reg)
    {
        // r̂ = r + G m: the model that the linearised data ask for is the unknown itself.
        rhat_.resize(rows_);
        for (size_t k = 0; k < rows_; ++k) {
            double gm = 0;
            for (size_t j = 0; j < n_; ++j)
                gm += g_[k * n_ + j] * s.m[j];
            rhat_[k] = s.residual[k] + gm;
        }
        gtg_.assign(n_ * n_, 0.0);
        gtr_.assign(n_, 0.0);
        for (size_t k = 0; k < rows_; ++k) {
            const double* row = &g_[k * n_];
            for (size_t i = 0; i < n_; ++i) {
                gtr_[i] += row[i] * rhat_[k];
                for (size_t j = 0; j <= i; ++j)
                    gtg_[i * n_ + j] += row[i] * row[j];
            }
        }
        refTerm_.assign(n_, 0.0);
        if (!reference.empty())
            for (size_t j = 0; j < n_; ++j)
                refTerm_[j] = alpha * reference[j];
        double traceG = 0, traceR = 0;
        for (size_t j = 0; j < n_; ++j) {
            traceG += gtg_[j * n_ + j];
            traceR += reg_[j * n_ + j];
        }
        scale_ = traceR > 0 ? traceG / traceR : 1.0;
    }

    // The model for β = b · trace(GᵀG)/trace(R); false when the system is singular.
    bool Solve(double b, std::vector<double>& m, double& chi2)
    {
        const double beta = b * scale_;
        a_.assign(n_ * n_, 0.0);
        m.assign(n_, 0.0);
        for (size_t i = 0; i < n_; ++i) {
            for (size_t j = 0; j <= i; ++j)
                a_[i * n_ + j] = gtg_[i * n_ + j] + beta * reg_[i * n_ + j];
            m[i] = gtr_[i] + beta * refTerm_[i];
        }
        if (!CholeskySolve(a_, m, n_))
            return false;
        double s = 0;
        for (size_t k = 0; k < rows_; ++k) {
            double gm = 0;
            for (size_t j = 0; j < n_; ++j)
                gm += g_[k * n_ + j] * m[j];
            s += (rhat_[k] - gm) * (rhat_[k] - gm);
        }
        chi2 = s / double(rows_);
        for (double v : m)
            if (!std::isfinite(v))
                return false;
        return std::isfinite(chi2);
    }

private:
    size_t n_, rows_;
    const std::vector<double>& g_;
    const std::vector<double>& reg_;
    std::vector<double> rhat_, gtg_, gtr_, refTerm_, a_;
    double scale_ = 1;
};

// Occam's choice of β: the largest (smoothest model) whose linearised misfit reaches
// `goal`; the best-fitting one when none does.
bool ChooseModel(LinearStep& step, double goal, std::vector<double>& m)
{
    double bestChi2 = INFINITY, bestB = 0;
    double reachedB = 0, missedB = 0;
    std::vector<double> trial;
    for (double logB = 3; logB >= -7; logB -= 0.5) {
        double chi2 = 0;
        if (!step.Solve(std::pow(10.0, logB), trial, chi2))
            continue;
        if (chi2 < bestChi2) {
            bestChi2 = chi2;
            bestB = logB;
        }
        if (chi2 <= goal) {
            reachedB = logB;
            break;
        }
        missedB = logB;
    }
    double chi2 = 0;
    if (bestChi2 > goal) {
        if (!std::isfinite(bestChi2))
            return false;
        return step.Solve(std::pow(10.0, bestB), m, chi2);
    }
    if (missedB != 0 || reachedB < 3) {
        // Bisect between the last β that missed and the first that reached.
        double hi = missedB == 0 ? reachedB + 0.5 : missedB, lo = reachedB;
        for (int k = 0; k < 5; ++k) {
            const double mid = 0.5 * (hi + lo);
            if (step.Solve(std::pow(10.0, mid), trial, chi2) && chi2 <= goal)
                lo = mid;
            else
                hi = mid;
        }
        reachedB = lo;
    }
    return step.Solve(std::pow(10.0, reachedB), m, chi2);
}

double RmsChange(const std::vector<double>& a, const std::vector<double>& b)
{
    double s = 0;
    for (size_t j = 0; j < a.size(); ++j)
        s += (a[j] - b[j]) * (a[j] - b[j]);
    return std::sqrt(s / double(a.size()));
}

// Depth of investigation: the shallowest depth below which multiplying the conductivity of
// the whole ground by e would change the data by less than their noise (rms), from the
// noise-weighted Jacobian of the final model; interpolated between layer tops, in log.
double DepthOfInvestigation(const State& s, const std::vector<double>& thickness)
{
    const size_t n = s.m.size(), rows = s.residual.size();
    std::vector<double> column(rows, 0.0);
    const double threshold = std::sqrt(double(rows));
    std::vector<double> tops(n, 0.0);
    for (size_t j = 1; j < n; ++j)
        tops[j] = tops[j - 1] + thickness[j - 1];
    double below = 0, belowDepth = tops[n - 1];
    for (size_t j = n; j-- > 0;) {
        double sum = 0;
        for (size_t k = 0; k < rows; ++k) {
            column[k] += s.g[k * n + j];
            sum += column[k] * column[k];
        }
        const double sensitivity = std::sqrt(sum);
        if (sensitivity >= threshold) {
            if (j + 1 == n)
                return tops[j];
            const double f = (std::log(sensitivity) - std::log(threshold)) /
                             (std::log(sensitivity) - std::log(std::max(below, 1e-300)));
            return tops[j] + std::clamp(f, 0.0, 1.0) * (belowDepth - tops[j]);
        }
        below = sensitivity;
        belowDepth = tops[j];
    }
    return 0;
}

} // namespace

InversionResult InvertStation(const CalibrationSet* calibration, const StationData& station,
                              const InversionOptions& options)
{
    InversionResult result;
    if (!calibration || !ModelCalibrationProblem(*calibration).empty()) {
        result.refusal = StationRefusal::NoCalibration;
        return result;
    }
    result.refusal = CheckStationData(station);
    if (result.refusal != StationRefusal::None)
        return result;
    const Data data = MakeData(station, options.noise);
    if (!NoiseUsable(data)) {
        result.refusal = StationRefusal::NotANumber;
        return result;
    }
    ForwardModel model(*calibration, options.height);
    if (!model.Problem().empty()) {
        result.refusal = StationRefusal::NoCalibration;
        return result;
    }
    Problem problem(model, data);

    const double lnHalfSpace = FitHalfSpace(problem);
    const size_t layers = std::clamp(options.layers, InversionOptions::kMinLayers, InversionOptions::kMaxLayers);
    const double bottom = ChooseBottom(problem, lnHalfSpace, calibration->r1);
    // The first layer is a tenth of the shorter spacing: finer than the instrument resolves.
    const std::vector<double> thickness = LayerThicknesses(layers, calibration->r1 / 10, bottom);
    std::vector<double> reference;
    double alpha = 0;
    if (options.reference && options.reference->Problem().empty()) {
        reference = Resample(*options.reference, thickness);
        alpha = std::max(0.0, options.referenceWeight);
    }

    State current;
    current.m.assign(layers, lnHalfSpace);
    if (!problem.Evaluate(current, thickness, true)) {
        result.refusal = StationRefusal::NotANumber;
        return result;
    }
    // Smooth models first, which converge safely from the half-space; once the data are
    // nearly fitted, minimum gradient support sharpens the interfaces the data ask for.
    std::vector<double> reg, next;
    bool sharpen = false;
    int sharpened = 0;
    // How much of the misfit a step may try to remove: less after a step that fell well
    // short of its linearised promise, more after one that kept it.
    double ambition = kAmbitious;
    bool stalled = false;
    double shortfall = 1; // actual χ² over linearised χ² of the last step, 1 to 3
    for (int iteration = 0; iteration < options.maxIterations; ++iteration) {
        sharpen = sharpen || current.chi2 <= kSharpenBelow * kTarget || stalled;
        sharpened += sharpen;
        Regularisation(current.m, sharpen, alpha, reg);
        LinearStep step(current, reg, reference, alpha);
        // Where the last step fell short of its goal, the next asks that much more.
        const double goal = std::max(kTarget, ambition * current.chi2) / shortfall;
        if (!ChooseModel(step, goal, next))
            break;
        // Take the step, or a shorter one when the ground is too far from linear.
        State trial;
        bool accepted = false;
        for (double fraction = 1.0; fraction > 0.1 && !accepted; fraction *= 0.5) {
            trial.m.resize(layers);
            for (size_t j = 0; j < layers; ++j)
                trial.m[j] = std::clamp(current.m[j] + fraction * (next[j] - current.m[j]), Problem::kLowest,
                                        Problem::kHighest);
            if (!problem.Evaluate(trial, thickness, true))
                continue;
            accepted = trial.chi2 < current.chi2 || trial.chi2 <= kTarget * kTolerance;
        }
        if (!accepted) {
            if (ambition >= kCautious && shortfall == 1)
                break;
            ambition = kCautious; // try again, asking less of the linearisation
            shortfall = 1;
            continue;
        }
        shortfall = std::clamp(trial.chi2 / goal, 1.0, 3.0);
        ambition = trial.chi2 > 2 * goal ? std::min(kCautious, 3 * ambition) : std::max(kAmbitious, ambition / 3);
        const double change = RmsChange(trial.m, current.m);
        const double before = current.chi2;
        current = std::move(trial);
        ++result.iterations;
        const bool fitted = current.chi2 <= kTarget * kTolerance;
        if (fitted && sharpen && (change < kConverged || sharpened >= kSharpenSteps))
            break;
        stalled = current.chi2 > 0.7 * before;
        if (!fitted && sharpen && current.chi2 > 0.98 * before && change < kConverged)
            break; // no more progress
    }

    result.chi2 = current.chi2;
    result.predicted = current.z;
    result.bottom = bottom;
    result.model.thickness = thickness;
    for (double v : current.m)
        result.model.conductivity.push_back(std::exp(v));
    result.doi = DepthOfInvestigation(current, thickness);
    return result;
}
