// The track map in a window of any size: its radius covers the same share of the map, and
// the GPS track drawn over it puts each reading in the cell its value is painted in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>

#include "RecordingContext.h"
#include "graphics/NoDataValue.h"
#include "graphics/TrackGraphs.h"
#include "graphics/TrackOverlay.h"
#include "support/SettingsFixture.h"
#include "support/SyntheticGround.h"

namespace {

constexpr double kLatitude = 55.75, kLongitude = 37.6, kMetre = 1.0 / 111195.0;
constexpr int kFrequency = 7;

GpsFix FixAt(double east, double north)
{
    return GpsFix{kLatitude + north * kMetre, kLongitude + east * kMetre / std::cos(kLatitude * M_PI / 180), 0};
}

// 5 × 4 readings some 12 m by 9 m apart, nudged off any lattice the cells could share.
std::unique_ptr<TrackDataSet> SparseTrack(CSettings& settings)
{
    SessionImage image;
    image.track = true;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 5; ++i) {
            const double east = 12.0 * i + 0.37 * ((i * 7 + j * 3) % 5);
            const double north = 9.0 * j + 0.53 * ((i * 3 + j * 5) % 4);
            image.records.push_back(testing_support::GroundRecord(east, north, uint32_t(image.records.size())));
            image.fixes.push_back(FixAt(east, north));
        }
    }
    return TrackDataSet::LoadTrackBody(image, settings);
}

class TrackMap : public testing_support::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        Settings().showGrid = Settings().showScaleMarks = 0;
        Settings().usedFrequencies.fill(1);
    }
    static bool Painted(const ValueSurface& surface, int x, int y) { return surface.GetValue(x, y) != kNoDataValue; }

    RecordingContext dc;
};

// The painted pixels of a map: how far the value of one cell runs on, cell by cell.
class PaintedMap {
public:
    PaintedMap(const ValueSurface& surface, const PixelRect& rect, int pixelSize)
        : surface_(surface), rect_(rect), ps_(pixelSize), box_{rect.right, rect.bottom, rect.left, rect.top}
    {
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                if (surface.GetValue(x, y) == kNoDataValue)
                    continue;
                box_ = {std::min(box_.left, x), std::min(box_.top, y), std::max(box_.right, x + 1),
                        std::max(box_.bottom, y + 1)};
            }
        }
    }
    float At(int x, int y) const
    {
        const bool inside = x >= rect_.left && x < rect_.right && y >= rect_.top && y < rect_.bottom;
        return inside ? surface_.GetValue(x, y) : kNoDataValue;
    }
    // Cells past (x, y) in steps of (dx, dy) holding its value, and whether the run ends
    // past everything painted (cut off by the edge of the grid) rather than inside it.
    std::pair<int, bool> Run(int x, int y, int dx, int dy) const
    {
        int cells = 0;
        while (At(x + (cells + 1) * dx * ps_, y + (cells + 1) * dy * ps_) == At(x, y))
            ++cells;
        const int endX = x + (cells + 1) * dx * ps_, endY = y + (cells + 1) * dy * ps_;
        return {cells, endX < box_.left || endX >= box_.right || endY < box_.top || endY >= box_.bottom};
    }

private:
    const ValueSurface& surface_;
    PixelRect rect_;
    int ps_;
    PixelRect box_; // of every painted pixel
};

} // namespace

// The readings lie far apart for their radius, so each paints a diamond of its own value on
// white. A reading drawn where its value is painted is the centre of its diamond: its
// value runs on equally far in all four directions, as far as in any diamond, except where
// the edge of the grid cuts the diamond off.
TEST_F(TrackMap, TheOverlayPutsEachReadingInTheCellItsValueIsPaintedIn)
{
    struct Case {
        PixelRect rect;
        bool realScaling;
        int pixelSize;
    };
    const Case cases[] = {
        {{5, 7, 245, 187}, false, 1},   {{5, 7, 245, 187}, true, 1},    {{10, 4, 1290, 804}, false, 1},
        {{10, 4, 1290, 804}, true, 1}, {{10, 4, 1290, 804}, true, 3}, {{0, 0, 1280, 1100}, false, 2},
    };
    auto data = SparseTrack(Settings());
    data->ScatteredGridder().radius = 3;
    ASSERT_TRUE(data->SetCurrentFix(FixAt(3000, 2500))); // the operator walked far away
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.Width() << " x " << c.rect.Height() << " pixels, real scaling "
                                        << c.realScaling << ", pixel size " << c.pixelSize);
        Settings().realScaling = c.realScaling;
        Settings().pixelSize = c.pixelSize;
        ValueSurface surface;
        ASSERT_TRUE(surface.Create(c.rect.right + 10, c.rect.bottom + 10, 32));
        ASSERT_TRUE(surface.Clear());
        ASSERT_EQ(PaintTrackMap(*data, Settings(), surface, dc, c.rect, kFrequency), GraphOutcome::Painted);
        dc.ellipses.clear();
        ASSERT_TRUE(PaintTrackOverlay(*data, dc, c.rect));

        std::set<std::pair<int, int>> onMap;
        int offMap = 0;
        for (const PixelRect& e : dc.ellipses) {
            const int x = (e.left + e.right) / 2, y = (e.top + e.bottom) / 2;
            const bool inside = x >= c.rect.left && x < c.rect.right && y >= c.rect.top && y < c.rect.bottom;
            inside ? (void)onMap.insert({x, y}) : (void)++offMap;
        }
        ASSERT_EQ(onMap.size(), data->RecordCount()) << "every reading on a pixel of its own";
        EXPECT_EQ(offMap, 1) << "the live position off the map";

        const PaintedMap map(surface, c.rect, c.pixelSize);
        struct Arm {
            int cells;
            bool cut;
        };
        std::vector<std::pair<std::pair<int, int>, std::vector<Arm>>> diamonds;
        int reach = 0; // of the diamonds' arms
        for (const auto& [x, y] : onMap) {
            ASSERT_NE(map.At(x, y), kNoDataValue) << "reading at " << x << ", " << y;
            std::vector<Arm> arms;
            for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                const auto [cells, cut] = map.Run(x, y, dx, dy);
                arms.push_back({cells, cut});
                reach = std::max(reach, cells);
            }
            diamonds.push_back({{x, y}, arms});
        }
        EXPECT_GE(reach, 2);
        for (const auto& [at, arms] : diamonds)
            for (const Arm& arm : arms)
                EXPECT_TRUE(arm.cells == reach || (arm.cells < reach && arm.cut))
                    << "reading at " << at.first << ", " << at.second << ": an arm of " << arm.cells << " cells of "
                    << reach;
    }
}

// The hand-held's 240 pixels wide and a window's 1280 paint the same share of the map:
// sampled at the small map's pixels, the large map differs only within a cell of where the
// small one changes between painted and empty.
TEST_F(TrackMap, TheRadiusCoversTheSameShareOfTheMapAtAnySize)
{
    auto data = testing_support::GroundTrack(Settings(), 300, 0.5); // legs 3 m apart
    data->ScatteredGridder().radius = 4;
    const PixelRect small{0, 0, 240, 180}, large{0, 0, 1280, 960};
    const double scale = 1280.0 / 240.0;
    for (const auto& [realScaling, pixelSize] : {std::pair{false, 1}, {true, 2}}) {
        SCOPED_TRACE(testing::Message() << "real scaling " << realScaling << ", pixel size " << pixelSize);
        Settings().realScaling = realScaling;
        Settings().pixelSize = pixelSize;
        ValueSurface a, b;
        ASSERT_TRUE(a.Create(small.right, small.bottom, 32) && a.Clear());
        ASSERT_TRUE(b.Create(large.right, large.bottom, 32) && b.Clear());
        ASSERT_EQ(PaintTrackMap(*data, Settings(), a, dc, small, kFrequency), GraphOutcome::Painted);
        ASSERT_EQ(PaintTrackMap(*data, Settings(), b, dc, large, kFrequency), GraphOutcome::Painted);

        auto changesNear = [&](int x, int y) {
            for (int v = std::max(0, y - pixelSize); v <= std::min(small.bottom - 1, y + pixelSize); ++v)
                for (int u = std::max(0, x - pixelSize); u <= std::min(small.right - 1, x + pixelSize); ++u)
                    if (Painted(a, u, v) != Painted(a, x, y))
                        return true;
            return false;
        };
        int painted = 0, empty = 0, differing = 0;
        for (int y = 0; y < small.bottom; ++y) {
            for (int x = 0; x < small.right; ++x) {
                const bool here = Painted(a, x, y);
                (here ? painted : empty) += 1;
                const bool there = Painted(b, int((x + 0.5) * scale), int((y + 0.5) * scale));
                if (here != there && !changesNear(x, y) && ++differing <= 5)
                    ADD_FAILURE() << "at " << x << ", " << y << " painted " << here << " at 240 pixels, " << there
                                  << " at 1280";
            }
        }
        EXPECT_EQ(differing, 0);
        // Gaps between the legs and cells painted: the comparison says something.
        EXPECT_GT(painted, small.right * small.bottom / 10);
        EXPECT_GT(empty, small.right * small.bottom / 10);
    }
}
