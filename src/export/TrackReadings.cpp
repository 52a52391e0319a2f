#include "export/TrackReadings.h"

#include <array>

#include "conversion/ReadingConversion.h"
#include "settings/CSettings.h"
#include "track/TrackDataSet.h"

bool CollectTrackReadings(const TrackDataSet& data, const CSettings& settings, const ExportFrequencies& frequencies,
                          TrackReadings& readings, std::string& error)
{
    readings = {};
    const ConversionSettings conversion = ConversionSettingsFrom(settings);
    std::array<float, kFrequencyCount> spectrum{};
    size_t measured = 0;
    for (size_t k = 0; k < data.RecordCount(); ++k) {
        const MeasurementRecord& record = data.Record(k);
        if (record.Empty())
            continue;
        ++measured;
        // A reading the GPS never placed lies at 0° 0°: it has no position to export.
        const GpsFix fix = k < data.FixCount() ? data.FixAt(k) : GpsFix{};
        if (fix.latitude == 0 && fix.longitude == 0)
            continue;
        readings.index.push_back(k);
        readings.latitude.push_back(fix.latitude);
        readings.longitude.push_back(fix.longitude);
        readings.time.push_back(record.TimeStamp());
        readings.serial.push_back(record.SerialNumber());
        ConvertSpectrum(conversion, settings.currentCalibration, record, spectrum);
        for (int i : frequencies.indices)
            readings.values.push_back(spectrum[static_cast<size_t>(i)]);
    }
    if (measured == 0)
        error = "the session has no measured reading";
    else if (readings.Count() == 0)
        error = "none of the " + std::to_string(measured) + " measured readings has a GPS position";
    return readings.Count() > 0;
}
