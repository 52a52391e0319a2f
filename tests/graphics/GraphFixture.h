#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "graphics/NoDataValue.h"
#include "graphics/PixelRect.h"
#include "graphics/ValueSurface.h"
#include "RecordingContext.h"
#include "support/SettingsFixture.h"

// Settings without scaling, grid, marks or filtering, and a cleared 200 x 100 surface to
// paint graphs into.
class GraphTest : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        Settings().realScaling = 0;
        Settings().showGrid = 0;
        Settings().showScaleMarks = 0;
        Settings().pixelSize = 1;
        Settings().pointsToShow = 0;
        Settings().filterProfileCurve = 0;
        ASSERT_TRUE(surface.Create(200, 100, 32));
        ASSERT_TRUE(surface.Clear());
    }
    // Columns of pixel row y that carry a value.
    int ValuedInRow(int y) const
    {
        int count = 0;
        for (int x = 0; x < surface.Width(); ++x)
            count += surface.GetValue(x, y) != kNoDataValue ? 1 : 0;
        return count;
    }
    // First and last column of pixel row y that carry a value.
    std::pair<int, int> ValuedSpanInRow(int y) const
    {
        int first = surface.Width(), last = -1;
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.GetValue(x, y) != kNoDataValue) {
                first = std::min(first, x);
                last = x;
            }
        return {first, last};
    }
    // Whether some pixel of column x carries `value` (and colour `colour`, unless kNoColour).
    bool ColumnHolds(int x, float value, Colour colour = kNoColour) const
    {
        for (int y = 0; y < surface.Height(); ++y)
            if (surface.GetValue(x, y) == value && (colour == kNoColour || surface.GetPixel(x, y) == colour))
                return true;
        return false;
    }
    // Pixels that carry a value.
    int Valued() const
    {
        int count = 0;
        for (int y = 0; y < surface.Height(); ++y)
            count += ValuedInRow(y);
        return count;
    }

    ValueSurface surface;
    RecordingContext dc;
    const PixelRect rect{0, 0, 200, 100};
};
