#include "export/Provenance.h"

#include <cstdio>

#include "export/ExportFrequencies.h"
#include "settings/CSettings.h"

namespace {

const char* YesNo(int32_t flag)
{
    return flag != 0 ? "yes" : "no";
}

std::string Units(const CSettings& settings)
{
    if (settings.unitMeasure == 0)
        return "ADC counts";
    return settings.apparentValueKind == 0 ? "apparent resistivity, ohm*m" : "apparent conductivity, mS/m";
}

std::string Component(const CSettings& settings)
{
    switch (settings.signalComponent) {
    case 1:
        return "quadrature";
    case 2:
        return "inphase";
    default:
        return "module";
    }
}

} // namespace

Provenance DescribeSession(const std::string& sessionName, const CSettings& settings,
                           const ExportFrequencies& frequencies)
{
    const CalibrationKey& key = settings.calibrationKey;
    char date[32];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u", unsigned(key.year), unsigned(key.month), unsigned(key.day));
    std::string labels;
    for (const std::string& label : frequencies.labels)
        labels += (labels.empty() ? "" : ", ") + label;
    return {
        {"session", sessionName.empty() ? "(unsaved)" : sessionName},
        {"instrument_serial", std::to_string(key.serial)},
        {"calibration_date", date},
        {"units", Units(settings)},
        {"component", Component(settings)},
        {"normalize_current", YesNo(settings.normalizeToCurrent)},
        {"normalize_frequency", YesNo(settings.normalizeToFrequency)},
        {"phase_equalization", YesNo(settings.phaseEqualization)},
        {"subtract_undercompensation", YesNo(settings.subtractUndercompensation)},
        {"signal_filter", YesNo(settings.applySignalFilter)},
        {"frequencies", labels},
    };
}

std::string ProvenanceNote(const Provenance& provenance)
{
    std::string note;
    for (const auto& [key, value] : provenance)
        note += key + ": " + value + "\n";
    return note;
}

std::string Metres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string Seconds(double value)
{
    return Metres(value);
}
