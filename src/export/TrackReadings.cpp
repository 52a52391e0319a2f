#include "export/TrackReadings.h"

#include <algorithm>
#include <array>

#include "conversion/ReadingConversion.h"
#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

size_t TrackReadings::LocatedCount() const
{
    return static_cast<size_t>(std::count(located.begin(), located.end(), true));
}

bool CollectTrackReadings(const TrackDataSet& data, const CSettings& settings,
                          const TrackCorrectionSettings& correction, const ExportFrequencies& frequencies,
                          bool keepUnlocated, TrackReadings& readings, LeftOut& leftOut, ExportError& error)
{
    readings = {};
    leftOut = {};
    const std::vector<CorrectedPosition> placed = data.CorrectedPositions(correction);
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    std::array<float, kFrequencyCount> spectrum{};
    size_t measured = 0;
    for (size_t k = 0; k < data.RecordCount(); ++k) {
        const MeasurementRecord& record = data.Record(k);
        if (record.Empty())
            continue;
        ++measured;
        if (!std::all_of(frequencies.indices.begin(), frequencies.indices.end(),
                         [&](int i) { return record.ChannelPresent(i); })) {
            leftOut.withoutFrequency.push_back(k);
            continue;
        }
        const CorrectedPosition& at = placed[k];
        if (!at.hasPosition) {
            leftOut.unpositioned.push_back(k);
            if (!keepUnlocated)
                continue;
        }
        const GpsFixQuality quality = k < data.FixCount() ? data.FixAt(k).quality : GpsFixQuality{};
        readings.index.push_back(k);
        readings.latitude.push_back(at.hasPosition ? at.latitude : 0.0);
        readings.longitude.push_back(at.hasPosition ? at.longitude : 0.0);
        readings.located.push_back(at.hasPosition);
        readings.quality.push_back(quality);
        readings.placedOk.push_back(PlacedWell(at, quality));
        readings.time.push_back(record.TimeStamp());
        readings.serial.push_back(record.SerialNumber());
        ConvertSpectrum(conversion, settings.currentCalibration, record, spectrum);
        for (int i : frequencies.indices)
            readings.values.push_back(spectrum[static_cast<size_t>(i)]);
    }
    if (measured == 0) {
        error = Refusal(ExportProblem::NoMeasuredReading, "the session has no measured reading");
    } else if (readings.Count() == 0) {
        error = Refusal(ExportProblem::NoReadingExportable,
                        "none of the " + std::to_string(measured) + " measured readings can be exported");
        error.failure.readings = measured;
    }
    return readings.Count() > 0;
}
