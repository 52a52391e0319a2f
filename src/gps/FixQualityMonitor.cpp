#include "gps/FixQualityMonitor.h"

FixQualityMonitor::FixQualityMonitor(platform::Clock& clock) : FixQualityMonitor(clock, Limits{}) {}

FixQualityMonitor::FixQualityMonitor(platform::Clock& clock, Limits limits) : clock_(clock), limits_(limits) {}

FixQualityMonitor::Change FixQualityMonitor::OnFix(const GpsFix& fix)
{
    if (!HasSolution(fix.quality))
        return state_ == State::NoFixYet ? Change::None : Enter(State::Lost);
    lastSolutionTick_ = clock_.Now();
    const double hdop = fix.quality.hdop; // 0: not reported, no reason to complain
    const bool over = hdop > limits_.hdop;
    const bool clearlyUnder = hdop <= limits_.hdop - limits_.hdopHysteresis;
    if (state_ == State::Degraded && !clearlyUnder)
        return Change::None;
    if (state_ == State::Lost && over)
        return Enter(State::Degraded);
    return Enter(over ? State::Degraded : State::Good);
}

FixQualityMonitor::Change FixQualityMonitor::Poll()
{
    if (state_ == State::NoFixYet || state_ == State::Lost)
        return Change::None;
    if (clock_.Now() - lastSolutionTick_ > limits_.lossAfterMs)
        return Enter(State::Lost);
    return Change::None;
}

FixQualityMonitor::Change FixQualityMonitor::Enter(State next)
{
    const State before = state_;
    state_ = next;
    if (before == next || before == State::NoFixYet)
        return Change::None;
    switch (next) {
    case State::Lost: return Change::Lost;
    case State::Degraded: return Change::Degraded;
    case State::Good: return Change::Restored;
    case State::NoFixYet: break;
    }
    return Change::None;
}
