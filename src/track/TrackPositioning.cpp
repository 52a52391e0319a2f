#include "track/TrackPositioning.h"

#include "track/TrackDataSet.h"

uint32_t RequestReadingPositions(TrackDataSet& track, uint32_t firstNew, CGpsPositionService& positions,
                                 WindowId page)
{
    uint32_t requested = 0;
    // Before the first fix since the GPS side's reset the live position is stale, or none:
    // the reading keeps no position until its answer comes.
    const bool live = positions.HasFix();
    for (uint32_t i = firstNew; i < track.CurrentIndex() && i < track.FixCount(); ++i) {
        GpsFix provisional = live ? track.CurrentFix() : GpsFix{};
        provisional.tick = track.FixAt(i).tick;
        track.SetFix(i, provisional);
        positions.RequestPosition({page, i, provisional.tick});
        ++requested;
    }
    return requested;
}

bool ApplyPositionMessage(TrackDataSet& track, const PositionMessage& message)
{
    if (message.message == UM_CURRENT_POSITION)
        return track.SetCurrentFix(message.fix);
    if (message.message == UM_READING_POSITION && message.wParam <= UINT32_MAX)
        return track.SetFix(static_cast<uint32_t>(message.wParam), message.fix);
    return false;
}
