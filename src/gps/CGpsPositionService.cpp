#include "gps/CGpsPositionService.h"

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
            if (r.window != 0) Deliver(r.window, UM_READING_POSITION, r.cookie, {fix.latitude, fix.longitude, r.tick});
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
            const GpsFix answer{last.latitude + latitudeRate * offset,
                                last.longitude + longitudeRate * offset, r.tick};
            Deliver(r.window, UM_READING_POSITION, r.cookie, answer);
        }
    }
    // With tL == tF the requests wait for the next fix.

    if (listener != 0) Deliver(listener, UM_CURRENT_POSITION, 0, fix);
    lastFix = fix;
    hasFix = 1;
}
