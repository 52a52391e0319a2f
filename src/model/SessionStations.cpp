#include "model/SessionStations.h"

#include "survey/SessionImage.h"
#include "track/TrackProjection.h"

SessionStations StationsOfSession(const SessionImage& image, const CalibrationSet* calibration,
                                  std::optional<uint32_t> profile, const TrackCorrectionSettings& correction)
{
    SessionStations out;
    out.track = image.track;
    out.width = image.x != 0 ? image.x : uint32_t(image.records.size());
    out.xStep = image.xStep;
    out.yStep = image.yStep;
    FrequencyMask used{};
    for (const MeasurementRecord& record : image.records) {
        if (!record.Empty()) {
            for (int i = 0; i < kFrequencyCount; ++i)
                used[size_t(i)] = record.ChannelPresent(i);
            break;
        }
    }
    std::vector<CorrectedPosition> placed;
    if (image.track)
        placed = CorrectTrack(StampedFixes(image.records, image.fixes), correction);
    const TrackProjection projection(TrackOrigin(placed).value_or(GpsFix{}));
    for (size_t k = 0; k < image.records.size(); ++k) {
        const MeasurementRecord& record = image.records[k];
        if (record.Empty())
            continue;
        SessionStation station;
        station.index = k;
        if (image.track) {
            station.located = placed[k].hasPosition;
            if (station.located) {
                station.latitude = placed[k].latitude;
                station.longitude = placed[k].longitude;
                projection.Project(GpsFix{station.latitude, station.longitude, 0}, station.east, station.north);
            }
        } else {
            // Serpentine: odd profiles are walked from the far end back.
            const uint32_t p = uint32_t(k / out.width), r = uint32_t(k % out.width);
            if (profile && p != *profile)
                continue;
            station.profile = p;
            station.station = p % 2 == 0 ? r : out.width - 1 - r;
            station.x = station.station * image.xStep;
            station.y = p * image.yStep;
        }
        station.input.refusal = StationDataFromRecord(calibration, record, used, station.input.data);
        out.stations.push_back(std::move(station));
    }
    return out;
}
