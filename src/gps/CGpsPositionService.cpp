#include "gps/CGpsPositionService.h"

#include <algorithm>
#include <cstdlib>

CGpsPositionService::CGpsPositionService(MessagePoster& poster, platform::Clock& clock)
    : poster_(poster), clock_(clock)
{
    Reset();
}

void CGpsPositionService::Reset()
{
    std::lock_guard guard(lock_);
    lastFix = GpsFix{};
    baseTick = clock_.Now();
    requestHead = 0;
    requestCount = 0;
    slotIndex = 0;
    listener = 0;
    hasFix = 0;
}

void CGpsPositionService::RequestPosition(const PositionRequest& request)
{
    std::lock_guard guard(lock_);
    if (requestCount == kMaxRequests) DropOldestRequest();
    requests[(requestHead + requestCount) % kMaxRequests] = request;
    ++requestCount;
    listener = request.window;
}

void CGpsPositionService::SetListener(WindowId window)
{
    std::lock_guard guard(lock_);
    listener = window;
}

void CGpsPositionService::DropOldestRequest()
{
    requestHead = (requestHead + 1) % kMaxRequests;
    --requestCount;
}

GpsFix CGpsPositionService::Slot(uint32_t number) const
{
    std::lock_guard guard(lock_);
    return number >= 1 && number <= kSlotCount ? slots[number - 1] : GpsFix{};
}

void CGpsPositionService::Deliver(WindowId window, uint32_t message, uintptr_t wParam, const GpsFix& fix)
{
    const uint32_t slot = slotIndex + 1;
    slotIndex = slot == kSlotCount ? 0 : slot;
    slots[slot - 1] = fix;
    poster_.Post(window, PositionMessage{message, wParam, fix, slot});
}

void CGpsPositionService::SetGapLimitMs(uint32_t limitMs)
{
    std::lock_guard guard(lock_);
    gapLimitMs = limitMs;
}

GpsFix CGpsPositionService::Placed(const GpsFix& last, const GpsFix& fix, uint32_t tick, double latitude,
                                   double longitude, bool fromOneFix) const
{
    // Signed times relative to the last fix: a request may lie before it or after the new one.
    const int64_t tL = 0;
    const int64_t tF = static_cast<int32_t>(fix.tick - last.tick);
    const int64_t tR = static_cast<int32_t>(tick - last.tick);
    const bool nearerLast = !fromOneFix && std::llabs(tR - tL) < std::llabs(tF - tR);
    GpsFixQuality quality = nearerLast ? last.quality : fix.quality;
    const int64_t age = nearerLast ? std::llabs(tR - tL) : std::llabs(tF - tR);
    const int64_t beyond = fromOneFix ? age : std::max<int64_t>({0, tL - tR, tR - tF});
    const int64_t gap = fromOneFix ? 0 : tF - tL;
    quality.ageMs = static_cast<uint32_t>(std::min<int64_t>(age, UINT32_MAX));
    quality.placedOk = HasSolution(fix.quality) && (fromOneFix || HasSolution(last.quality)) &&
                       gap <= gapLimitMs && beyond <= gapLimitMs;
    return GpsFix{latitude, longitude, tick, quality};
}

void CGpsPositionService::OnFix(const GpsFix& fix)
{
    std::lock_guard guard(lock_);
    const GpsFix last = lastFix;
    const uint32_t tL = last.tick - baseTick;
    const uint32_t tF = fix.tick - baseTick;

    if (last.tick == 0 && last.latitude == 0.0 && last.longitude == 0.0) {
        // No fix since Reset: the first one answers everything waiting with its position,
        // stamped with the request's tick so that the track can match it to its reading.
        for (; requestCount > 0; DropOldestRequest()) {
            const PositionRequest& r = requests[requestHead];
            if (r.window != 0)
                Deliver(r.window, UM_READING_POSITION, r.cookie,
                        Placed(fix, fix, r.tick, fix.latitude, fix.longitude, true));
        }
    } else if (tL != tF) {
        const double span = static_cast<double>(tF - tL);
        const double latitudeRate = (fix.latitude - last.latitude) / span;
        const double longitudeRate = (fix.longitude - last.longitude) / span;
        for (; requestCount > 0; DropOldestRequest()) {
            const PositionRequest& r = requests[requestHead];
            if (r.window == 0) continue;
            // Signed: a request older than the last fix is extrapolated backwards.
            const double offset = static_cast<int32_t>((r.tick - baseTick) - tL);
            Deliver(r.window, UM_READING_POSITION, r.cookie,
                    Placed(last, fix, r.tick, last.latitude + latitudeRate * offset,
                           last.longitude + longitudeRate * offset, false));
        }
    }
    // With tL == tF the requests wait for the next fix.

    if (listener != 0) {
        GpsFix current = fix;
        current.quality.ageMs = clock_.Now() - fix.tick;
        Deliver(listener, UM_CURRENT_POSITION, 0, current);
    }
    lastFix = fix;
    hasFix = 1;
}
