#include "graphics/TrackMapPoints.h"

#include <algorithm>
#include <new>

#include "track/TrackDataSet.h"

bool CollectTrackMapPoints(const TrackDataSet& data, TrackMapPoints& points)
{
    const std::vector<TrackPoint>& track = data.Track();
    const size_t n = std::min(data.RecordCount(), track.size());
    try {
        points.readings.reserve(n);
        points.east.reserve(n);
        points.north.reserve(n);
        for (size_t k = 0; k < n; ++k) {
            if (data.Record(k).Empty() || !track[k].positioned)
                continue;
            points.readings.push_back(k);
            points.east.push_back(track[k].east);
            points.north.push_back(track[k].north);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
