#include "export/ExportFrequencies.h"

#include <cstdio>

#include "settings/CSettings.h"

bool SelectFrequencies(const CSettings& settings, const FrequencySelection& selection, ExportFrequencies& out,
                       ExportError& error)
{
    out = {};
    if (selection.index && (*selection.index < 0 || *selection.index >= kFrequencyCount)) {
        error = Refusal(ExportProblem::NoSuchFrequency, "there is no frequency " +
                                                            std::to_string(*selection.index + 1) + " (they are 1 to " +
                                                            std::to_string(kFrequencyCount) + ")");
        error.failure.frequency = *selection.index + 1;
        return false;
    }
    for (int i = 0; i < kFrequencyCount; ++i) {
        if (selection.index && *selection.index != i)
            continue;
        char kHz[32];
        std::snprintf(kHz, sizeof kHz, "%.6g", settings.currentCalibration.F[static_cast<size_t>(i)]);
        if (!settings.usedFrequencies[static_cast<size_t>(i)]) {
            if (selection.index) {
                error = Refusal(ExportProblem::FrequencyNotUsed, "frequency " + std::to_string(i + 1) + " (" + kHz +
                                                                      " kHz) was not used in this session");
                error.failure.frequency = i + 1;
                error.failure.kHz = settings.currentCalibration.F[static_cast<size_t>(i)];
                return false;
            }
            continue;
        }
        std::string field = std::string("f") + kHz + "kHz";
        for (char& c : field)
            c = c == '.' || c == '-' || c == '+' ? '_' : c;
        out.indices.push_back(i);
        out.labels.push_back(std::string(kHz) + " kHz");
        out.fields.push_back(field);
    }
    if (out.indices.empty()) {
        error = Refusal(ExportProblem::NoFrequencyUsed, "the session uses no frequency");
        return false;
    }
    return true;
}
