#pragma once
#include <cstdint>

#include "gps/CGpsPositionService.h"

class TrackDataSet;

// What the track page does with positions, shared by every front end. UI thread only.

// After a reading: each new reading from `firstNew` up to the cursor gets the live position,
// stamped with its own tick, as a provisional position (none, 0° 0°, while the GPS side has
// had no fix since its reset), and its position is asked of the GPS side for that tick.
// Returns the number of requests made.
uint32_t RequestReadingPositions(TrackDataSet& track, uint32_t firstNew, CGpsPositionService& positions,
                                 WindowId page);

// Stores a position message: the answer for a reading, or the live position. True when it
// changed the data set (an answer for a reading that was replaced meanwhile changes nothing).
bool ApplyPositionMessage(TrackDataSet& track, const PositionMessage& message);
