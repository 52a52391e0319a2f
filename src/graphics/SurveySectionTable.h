#pragma once
#include <cstdint>
#include <vector>

#include "graphics/TableGraphs.h"

class CSettings;
class SurveyDataSet;

// The table a survey section grids: one column per station of the run (xs in metres from
// its first station), one row per used frequency, shallowest first (ys its pseudo-depth).
struct SurveySectionTable {
    std::vector<float> xs, ys, values;
    std::vector<int> frequencies; // index of each row
    uint32_t firstStation = 0;

    ValueTable View() const
    {
        return {static_cast<int>(xs.size()), static_cast<int>(ys.size()), xs.data(), ys.data(), values.data()};
    }
};

// The run of measured stations through (p, s) against the used frequencies. NotPainted with
// fewer than 2 of either.
GraphOutcome BuildSurveySectionTable(const SurveyDataSet& data, const CSettings& settings, uint32_t p, uint32_t s,
                                     SurveySectionTable& table);
