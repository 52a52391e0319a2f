#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "GriddingReference.h"
#include "graphics/BilinearGridder.h"
#include "graphics/NoDataValue.h"
#include "graphics/RadiusGridder.h"
#include "graphics/SmoothProfile.h"

namespace {

std::vector<float> RandomValues(size_t count, unsigned seed, float low, float high)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(low, high);
    std::vector<float> values(count);
    for (float& v : values)
        v = distribution(generator);
    return values;
}

constexpr float n = kNoDataValue;

struct Points {
    std::vector<float> x, y, v;
    Points(std::initializer_list<std::array<float, 3>> list)
    {
        for (const auto& p : list) {
            x.push_back(p[0]);
            y.push_back(p[1]);
            v.push_back(p[2]);
        }
    }
    int Count() const { return static_cast<int>(x.size()); }
};

bool Grid(RadiusGridder& gridder, const Points& points, int nx, int ny, std::vector<float>& out)
{
    out.resize(static_cast<size_t>(std::max(nx, 1)) * std::max(ny, 1));
    return gridder.GridScattered(points.Count(), points.x.data(), points.y.data(), points.v.data(), nx, ny,
                                 out.data());
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
        {{0, 1}, {0, 1}, {1, 2, 3, 4}, 3, 3, {1, 1.5f, 2, 2, 2.5f, 3, 3, 3.5f, 4}},
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
    EXPECT_FALSE(gridder.Smooth(0, 5, &cell));
    EXPECT_TRUE(gridder.Smooth(1, 1, &cell));
    EXPECT_EQ(cell, 1.0f);
    const float xs[] = {0.0f, 1.0f}, values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> out(4, -7.0f);
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, xs, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 1, xs, xs, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, xs, xs, values, 0, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, nullptr, xs, values, 2, 2, out.data()));
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
    const Points square{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    struct Case {
        Points points;
        int nx, ny;
    };
    const Case cases[] = {
        {{{2, 0, 1}, {2, 1, 1}, {2, 2, 1}, {2, 3, 1}, {2, 4, 1}}, 3, 3}, // vertical line
        {{{0, 0, 1}, {1, 1, 1}, {2, 0, 1}, {NAN, NAN, 1}}, 3, 3},        // three placed points
        {square, 1, 3},
    };
    for (const Case& c : cases) {
        std::vector<float> out(9, -3.0f);
        EXPECT_FALSE(gridder.GridScattered(c.points.Count(), c.points.x.data(), c.points.y.data(),
                                           c.points.v.data(), c.nx, c.ny, out.data()));
        EXPECT_EQ(out, std::vector<float>(9, -3.0f));
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
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, xs, values, 3, 3, regridded.data())); // two points only

    // x spans 0..8, y spans 0..2: on a 5 x 5 grid the cell is 0.5, and x = 8 lies beyond it.
    ASSERT_TRUE(Grid(gridder, {{0, 0, 1}, {1, 0, 2}, {8, 2, 3}, {0, 2, 4}}, 5, 5, out));
    EXPECT_EQ(out[2], 2.0f);
    EXPECT_EQ(out[4 * 5 + 0], 4.0f);
    EXPECT_EQ(std::count(out.begin(), out.end(), 3.0f), 0);
}

TEST(RadiusGridder, MatchesThePointByPointDefinition)
{
    // Rows are summed from the cones' kinks, not point by point: the same means up to
    // rounding, and exactly the same cells without data.
    struct Case {
        int radius, nx, ny, n;
    };
    for (const Case& k : {Case{1, 30, 20, 50}, Case{7, 120, 80, 500}, Case{50, 64, 700, 300}, Case{5000, 9, 7, 12}}) {
        const std::vector<float> x = RandomValues(static_cast<size_t>(k.n), 12, -3.0f, 40.0f);
        const std::vector<float> y = RandomValues(static_cast<size_t>(k.n), 13, 100.0f, 120.0f);
        const std::vector<float> v = RandomValues(static_cast<size_t>(k.n), 14, -1.0f, 1.0f);
        RadiusGridder gridder;
        gridder.radius = k.radius;
        std::vector<float> out(static_cast<size_t>(k.nx) * k.ny);
        ASSERT_TRUE(gridder.GridScattered(k.n, x.data(), y.data(), v.data(), k.nx, k.ny, out.data()));
        std::vector<float> expected;
        reference::Radius(k.radius, x, y, v, k.nx, k.ny, expected);
        ASSERT_EQ(expected.size(), out.size());
        for (size_t i = 0; i < out.size(); ++i) {
            if (expected[i] == kNoDataValue)
                EXPECT_EQ(kNoDataValue, out[i]) << "radius " << k.radius << " cell " << i;
            else
                EXPECT_NEAR(expected[i], out[i], 1e-5f) << "radius " << k.radius << " cell " << i;
        }
    }
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
