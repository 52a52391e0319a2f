// The lines a whole session is inverted along: every profile once, the one on screen first.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/InversionLines.h"
#include "support/SettingsFixture.h"
#include "survey/SurveyDataSet.h"

namespace {

using InversionLines = testing_support::SettingsTest;

TEST_F(InversionLines, EveryProfileOnceTheShownOneFirst)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 4;
    Settings().ySize = 3;
    const SurveyDataSet survey(Settings());
    for (uint32_t first = 0; first < 3; ++first) {
        SCOPED_TRACE(first);
        const std::vector<std::vector<size_t>> lines = SessionLines(survey, first);
        ASSERT_EQ(3u, lines.size());
        EXPECT_EQ(ProfileLine(survey, first), lines[0]);
        std::vector<size_t> slots;
        for (const std::vector<size_t>& line : lines) {
            EXPECT_EQ(4u, line.size());
            slots.insert(slots.end(), line.begin(), line.end());
        }
        std::sort(slots.begin(), slots.end());
        for (size_t k = 0; k < slots.size(); ++k)
            ASSERT_EQ(k, slots[k]) << "each station once";
    }
}

} // namespace
