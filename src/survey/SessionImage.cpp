#include "survey/SessionImage.h"

#include "settings/CSettings.h"

void AdoptUsedFrequencies(const std::vector<MeasurementRecord>& records, CSettings& settings)
{
    for (const MeasurementRecord& record : records) {
        if (!record.Empty()) {
            for (int i = 0; i < kFrequencyCount; ++i)
                settings.usedFrequencies[size_t(i)] = record.ChannelPresent(i) ? 1 : 0;
            return;
        }
    }
}
