#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "graphics/BilinearGridder.h"
#include "graphics/NoDataValue.h"
#include "graphics/RadiusGridder.h"
#include "graphics/SmoothProfile.h"

namespace {

constexpr float n = kNoDataValue;

using Points = std::vector<std::array<float, 3>>;

// Grids into a fresh output of -3s.
bool Grid(RadiusGridder& gridder, const Points& points, int nx, int ny, std::vector<float>& out)
{
    std::vector<float> x, y, v;
    for (const auto& p : points) {
        x.push_back(p[0]);
        y.push_back(p[1]);
        v.push_back(p[2]);
    }
    out.assign(static_cast<size_t>(nx) * ny, -3.0f);
    return gridder.GridScattered(static_cast<int>(points.size()), x.data(), y.data(), v.data(), nx, ny, out.data());
}

} // namespace

TEST(Smooth, WindowMeansStopAtNoData)
{
    std::vector<float> grid(25);
    for (int k = 0; k < 25; ++k)
        grid[k] = static_cast<float>(k + 1); // mean 13
    // No-data in the first column stops the pass; in the middle row of a window it ends that row.
    for (int noDataAt : {-1, 4 * 5, 2 * 5 + 4}) {
        std::vector<float> smoothed = grid, expected = grid;
        if (noDataAt >= 0)
            smoothed[noDataAt] = expected[noDataAt] = n;
        else
            expected[12] = 13.0f; // only the centre changes, to the mean of all
        EXPECT_TRUE(BilinearGridder().Smooth(5, 5, smoothed.data()));
        EXPECT_EQ(smoothed, expected) << noDataAt;
    }
    std::vector<float> narrow(grid.begin(), grid.begin() + 20); // four rows: too few
    const std::vector<float> before = narrow;
    EXPECT_TRUE(BilinearGridder().Smooth(5, 4, narrow.data()));
    EXPECT_EQ(narrow, before);
}

TEST(BilinearGridder, HandWorkedTablesAndRefusals)
{
    struct Case {
        std::vector<float> xs, ys, values;
        int nx, ny;
        std::vector<float> expected;
    };
    const Case cases[] = {
        // Ten times x on the lower row, a hundred more on the upper one.
        {{0, 1, 4}, {0, 2}, {0, 10, 40, 100, 110, 140}, 5, 2, {0, 10, 20, 30, 40, 100, 110, 120, 130, 140}},
        // Empty intervals: the bracket stops at the first interval as x is not beyond xs[1];
        // equal rows are averaged.
        {{0, 1, 1}, {0, 0}, {0, 8, 9, 2, 10, 11}, 3, 1, {1, 5, 9}},
        {{0, 2}, {0, 2}, {1, 3, 5, 7}, 1, 3, {1, 3, 5}},
    };
    for (const Case& c : cases) {
        std::vector<float> out(c.expected.size(), -1.0f);
        ASSERT_TRUE(BilinearGridder().Regrid(static_cast<int>(c.xs.size()), static_cast<int>(c.ys.size()), c.xs.data(),
                                             c.ys.data(), c.values.data(), c.nx, c.ny, out.data()));
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_FLOAT_EQ(out[k], c.expected[k]) << k;
    }

    BilinearGridder gridder;
    float cell = 1.0f;
    EXPECT_FALSE(gridder.Smooth(5, 5, nullptr));
    EXPECT_TRUE(gridder.Smooth(1, 1, &cell));
    EXPECT_EQ(cell, 1.0f);
    const float xs[] = {0.0f, 1.0f}, values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> out(4, -7.0f);
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, xs, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, xs, xs, values, 2, 2, nullptr));
    EXPECT_EQ(out, std::vector<float>(4, -7.0f));
}

TEST(BilinearGridder, AccumulatedPositionsPastTheLastCoordinateStayInTheTable)
{
    // 0.1 summed a thousand times overshoots 100.0 in single precision.
    const float xs[] = {0.0f, 0.1f, 0.7f}, ys[] = {0.0f, 0.3f};
    const float values[] = {0.0f, 1.0f, 7.0f, 0.0f, 1.0f, 7.0f};
    std::vector<float> out(1001 * 2);
    ASSERT_TRUE(BilinearGridder().Regrid(3, 2, xs, ys, values, 1001, 2, out.data()));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
    EXPECT_NEAR(out[1000], 7.0f, 1e-3f);
}

TEST(RadiusGridder, FailsWithTooFewPointsOrNoAreaAndLeavesTheOutput)
{
    RadiusGridder gridder;
    std::vector<float> out;
    for (const auto& [points, nx] : std::vector<std::pair<Points, int>>{
             {{{2, 0, 1}, {2, 1, 1}, {2, 2, 1}, {2, 3, 1}, {2, 4, 1}}, 3}, // vertical line
             {{{0, 0, 1}, {1, 1, 1}, {2, 0, 1}, {NAN, NAN, 1}}, 3},        // three placed points
             {{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}, 1}}) {        // one column
        EXPECT_FALSE(Grid(gridder, points, nx, 3, out));
        EXPECT_EQ(out, std::vector<float>(size_t(nx) * 3, -3.0f));
    }
}

TEST(RadiusGridder, RadiusOneFillsOnlyTheCellsHoldingPlacedPoints)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    std::vector<float> out;
    ASSERT_TRUE(Grid(gridder, {{0, 0, 1}, {NAN, 1, 100}, {2, 2, 4}, {INFINITY, 0, 100}, {0, 2, 3}, {2, 0, 2}}, 3, 3, out));
    EXPECT_EQ(out, (std::vector<float>{1, n, 2, n, n, n, 3, n, 4}));

    // Regrid treats the table as the same points.
    const float xs[] = {0.0f, 2.0f}, values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> regridded(9);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, xs, values, 3, 3, regridded.data()));
    EXPECT_EQ(regridded, out);

    // x spans 0..8, y spans 0..2: on a 5 x 5 grid the cell is 0.5, and x = 8 lies beyond it.
    ASSERT_TRUE(Grid(gridder, {{0, 0, 1}, {1, 0, 2}, {8, 2, 3}, {0, 2, 4}}, 5, 5, out));
    EXPECT_EQ(out[2], 2.0f);
    EXPECT_EQ(out[4 * 5 + 0], 4.0f);
    EXPECT_EQ(std::count(out.begin(), out.end(), 3.0f), 0);
}

TEST(RadiusGridder, ExtremeExtentsAndRadiiStayBounded)
{
    RadiusGridder gridder;
    const Points points{{0, 0, 1}, {1e6f, 0, 2}, {0, 1e-3f, 3}, {1e6f, 1e-3f, 4}}; // a millionth-wide cell
    std::vector<float> out;
    gridder.radius = 0;
    ASSERT_TRUE(Grid(gridder, points, 4, 4, out));
    EXPECT_EQ(std::count(out.begin(), out.end(), kNoDataValue), 16);
    gridder.radius = 0x7FFFFFFF;
    ASSERT_TRUE(Grid(gridder, points, 4, 4, out));
    for (float value : out)
        EXPECT_TRUE(value >= 1.0f && value <= 4.0f);
}

TEST(SmoothProfile, ASpikeSpreadsOverNineCentresAndShortCurvesStay)
{
    SmoothProfile(nullptr, 20);
    std::vector<float> values(8, 0.0f), spike(5000, 0.0f);
    values[4] = spike[10] = spike[4990] = 9.0f;
    SmoothProfile(values.data(), 8); // below nine values the curve stays
    EXPECT_EQ(values[4], 9.0f);
    // Means are taken from unsmoothed values; the four values at each end stay, and a running
    // sum over thousands of values still returns to zero between the spikes.
    SmoothProfile(spike.data(), 5000);
    for (int k = 0; k < 5000; ++k)
        EXPECT_NEAR(spike[k], (k >= 6 && k <= 14) || (k >= 4986 && k <= 4994) ? 1.0f : 0.0f, 1e-6f) << k;
}
