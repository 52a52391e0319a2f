#pragma once
#include <cstdint>
#include <vector>

#include "graphics/TableGraphs.h"

class CSettings;
class SurveyDataSet;

// The table a survey map grids: one column per station (xs in metres along the profiles),
// one row per profile (ys in metres across, from the first row's profile). Owns its arrays.
struct SurveyMapTable {
    std::vector<float> xs, ys, values;
    uint32_t firstProfile = 0;

    ValueTable View() const
    {
        return {static_cast<int>(xs.size()), static_cast<int>(ys.size()), xs.data(), ys.data(), values.data()};
    }
};

// Frequency f over the block of complete profiles through (p, s), with p itself as a last,
// partial row while it is being walked; its unmeasured stations repeat the profile below.
// NotPainted with fewer than 2 rows or stations, or an unused frequency.
GraphOutcome BuildSurveyMapTable(const SurveyDataSet& data, const CSettings& settings, uint32_t p, uint32_t s,
                                 int f, SurveyMapTable& table);
