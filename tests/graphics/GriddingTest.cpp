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

// Largest difference relative to the largest magnitude in the expected grid.
double RelativeDifference(const std::vector<float>& actual, const std::vector<float>& expected)
{
    double scale = 0.0;
    double difference = 0.0;
    for (size_t k = 0; k < expected.size(); ++k) {
        scale = std::max(scale, std::fabs(static_cast<double>(expected[k])));
        difference = std::max(difference, std::fabs(static_cast<double>(actual[k]) - expected[k]));
    }
    return scale > 0.0 ? difference / scale : difference;
}

constexpr float n = kNoDataValue;

} // namespace

// ---- Smooth -------------------------------------------------------------------------------

TEST(Smooth, FiveByFiveChangesOnlyTheCentreToTheMeanOfAll)
{
    std::vector<float> grid(25);
    for (int k = 0; k < 25; ++k)
        grid[k] = static_cast<float>(k + 1); // mean 13
    std::vector<float> expected = grid;
    expected[12] = 13.0f;
    EXPECT_TRUE(BilinearGridder().Smooth(5, 5, grid.data()));
    EXPECT_EQ(grid, expected);
}

TEST(Smooth, MatchesTheCellByCellMean)
{
    struct Case {
        int nx, ny;
        int noDataAt; // cell index, or -1
    };
    // Too few rows or columns leave the grid as it is; no-data in the first column stops the
    // pass, in the middle row of a window it ends that row.
    for (const Case& k : {Case{9, 4, -1}, Case{4, 8, -1}, Case{5, 7, -1}, Case{37, 23, -1}, Case{640, 480, -1},
                          Case{7, 9, 6 * 7}, Case{9, 5, 2 * 9 + 6}, Case{40, 30, 17 * 40 + 21}}) {
        std::vector<float> grid = RandomValues(static_cast<size_t>(k.nx) * k.ny, 4, -100.0f, 300.0f);
        if (k.noDataAt >= 0)
            grid[k.noDataAt] = kNoDataValue;
        std::vector<float> expected = grid;
        reference::Smooth(k.nx, k.ny, expected);
        EXPECT_TRUE(BilinearGridder().Smooth(k.nx, k.ny, grid.data()));
        EXPECT_LT(RelativeDifference(grid, expected), 1e-5) << k.nx << "x" << k.ny;
        if (k.nx < 5 || k.ny < 5) {
            EXPECT_EQ(grid, expected);
        }
    }
}

// ---- BilinearGridder ----------------------------------------------------------------------

TEST(BilinearGridder, HandWorkedTables)
{
    struct Case {
        const char* name;
        std::vector<float> xs, ys, values;
        int nx, ny;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"2x2 onto 3x3", {0, 1}, {0, 1}, {1, 2, 3, 4}, 3, 3, {1, 1.5f, 2, 2, 2.5f, 3, 3, 3.5f, 4}},
        // Ten times x on the lower row, a hundred more on the upper one.
        {"uneven columns", {0, 1, 4}, {0, 2}, {0, 10, 40, 100, 110, 140}, 5, 2, {0, 10, 20, 30, 40, 100, 110, 120, 130, 140}},
        // Empty intervals: the bracket stops at the first interval as x is not beyond xs[1];
        // equal rows are averaged.
        {"repeated coordinates", {0, 1, 1}, {0, 0}, {0, 8, 9, 2, 10, 11}, 3, 1, {1, 5, 9}},
        {"single cell", {0, 2}, {0, 2}, {1, 3, 5, 7}, 1, 1, {1}},
        {"single column", {0, 2}, {0, 2}, {1, 3, 5, 7}, 1, 3, {1, 3, 5}},
    };
    for (const Case& c : cases) {
        std::vector<float> out(c.expected.size(), -1.0f);
        ASSERT_TRUE(BilinearGridder().Regrid(static_cast<int>(c.xs.size()), static_cast<int>(c.ys.size()), c.xs.data(),
                                             c.ys.data(), c.values.data(), c.nx, c.ny, out.data()))
            << c.name;
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_FLOAT_EQ(out[k], c.expected[k]) << c.name << " " << k;
    }
}

TEST(BilinearGridder, RejectsMissingGridsAndTablesWithoutAnInterval)
{
    BilinearGridder gridder;
    float cell = 1.0f;
    EXPECT_FALSE(gridder.Smooth(5, 5, nullptr));
    EXPECT_FALSE(gridder.Smooth(0, 5, &cell));
    EXPECT_FALSE(gridder.Smooth(5, -1, &cell));
    EXPECT_TRUE(gridder.Smooth(1, 1, &cell));
    EXPECT_EQ(cell, 1.0f);

    const float xs[] = {0.0f, 1.0f};
    const float ys[] = {0.0f, 1.0f};
    const float values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> out(4, -7.0f);
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, ys, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 1, xs, ys, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, xs, ys, values, 0, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, nullptr, ys, values, 2, 2, out.data()));
    EXPECT_FALSE(gridder.Regrid(2, 2, xs, ys, values, 2, 2, nullptr));
    EXPECT_EQ(out, std::vector<float>(4, -7.0f));
}

TEST(BilinearGridder, MatchesTheCellByCellDefinition)
{
    struct Case {
        int nxIn, nyIn, nxOut, nyOut;
    };
    for (const Case& k : {Case{2, 2, 3, 3}, Case{100, 14, 640, 200}, Case{100, 100, 333, 251}, Case{7, 5, 4, 3},
                          Case{2, 2, 1920, 1080}}) {
        // Uneven ascending coordinates with repeats, as stations and depths come.
        std::vector<float> xs = RandomValues(static_cast<size_t>(k.nxIn), 5, 0.0f, 100.0f);
        std::vector<float> ys = RandomValues(static_cast<size_t>(k.nyIn), 6, 0.0f, 30.0f);
        std::sort(xs.begin(), xs.end());
        std::sort(ys.begin(), ys.end());
        if (k.nxIn > 2)
            xs[1] = xs[0];
        const std::vector<float> values = RandomValues(static_cast<size_t>(k.nxIn) * k.nyIn, 7, 1.0f, 500.0f);
        std::vector<float> out(static_cast<size_t>(k.nxOut) * k.nyOut);
        ASSERT_TRUE(BilinearGridder().Regrid(k.nxIn, k.nyIn, xs.data(), ys.data(), values.data(), k.nxOut, k.nyOut,
                                             out.data()));
        std::vector<float> expected;
        reference::Bilinear(k.nxIn, k.nyIn, xs.data(), ys.data(), values.data(), k.nxOut, k.nyOut, expected);
        EXPECT_LT(RelativeDifference(out, expected), 1e-5) << k.nxIn << "x" << k.nyIn << " -> " << k.nxOut;
    }
}

TEST(BilinearGridder, AccumulatedPositionsPastTheLastCoordinateStayInTheTable)
{
    // 0.1 summed a thousand times overshoots 100.0 in single precision.
    const float xs[] = {0.0f, 0.1f, 0.7f};
    const float ys[] = {0.0f, 0.3f};
    const float values[] = {0.0f, 1.0f, 7.0f, 0.0f, 1.0f, 7.0f};
    std::vector<float> out(1001 * 2);
    ASSERT_TRUE(BilinearGridder().Regrid(3, 2, xs, ys, values, 1001, 2, out.data()));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
    EXPECT_NEAR(out[1000], 7.0f, 1e-3f);
}

// ---- RadiusGridder ------------------------------------------------------------------------

namespace {

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

TEST(RadiusGridder, FailsWithTooFewPointsOrNoAreaAndLeavesTheOutput)
{
    RadiusGridder gridder;
    const Points square{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    struct Case {
        Points points;
        int nx, ny;
    };
    const Case cases[] = {
        {{{0, 0, 1}, {1, 1, 1}, {2, 0, 1}}, 3, 3},                       // three points
        {{{2, 0, 1}, {2, 1, 1}, {2, 2, 1}, {2, 3, 1}, {2, 4, 1}}, 3, 3}, // vertical line
        {{{0, -1, 1}, {1, -1, 1}, {2, -1, 1}, {3, -1, 1}}, 3, 3},        // horizontal line
        {{{0, 0, 1}, {1, 1, 1}, {2, 0, 1}, {NAN, NAN, 1}}, 3, 3},        // three placed points
        {square, 1, 3},
        {square, 3, 1},
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
    const float xs[] = {0.0f, 2.0f};
    const float ys[] = {0.0f, 2.0f};
    const float values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> regridded(9);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 3, 3, regridded.data()));
    EXPECT_EQ(regridded, out);
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, ys, values, 3, 3, regridded.data())); // two points only
}

TEST(RadiusGridder, ConeWeightsFallToOneOverRadiusAndThenToNothing)
{
    RadiusGridder gridder;
    gridder.radius = 3;
    std::vector<float> out;
    // (2, 0) is two cells from (0, 0): weight 1/3 there; (3, 0) is three cells away: none.
    ASSERT_TRUE(Grid(gridder, {{0, 0, 0}, {2, 0, 10}, {3, 0, 1000}, {4, 4, 5}}, 5, 5, out));
    EXPECT_NEAR(out[0], 2.5f, 1e-5f); // (0·1 + 10/3) / (1 + 1/3)
    EXPECT_FLOAT_EQ(out[2 * 5 + 2], 10.0f); // two steps above (2, 0), three or more from the others
    EXPECT_EQ(out[4 * 5 + 0], kNoDataValue); // four or more steps from every point
}

TEST(RadiusGridder, PointsInOneCellAreAveragedAndCellsAreSquareAlongTheShorterSpacing)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    std::vector<float> out;
    ASSERT_TRUE(Grid(gridder, {{0.1f, 0.1f, 1}, {0.2f, 0.3f, 3}, {4, 0, 7}, {0, 4, 7}, {4, 4, 7}}, 5, 5, out));
    EXPECT_FLOAT_EQ(out[0], 2.0f);

    // x spans 0..8, y spans 0..2: on a 5 x 5 grid the cell is 0.5.
    ASSERT_TRUE(Grid(gridder, {{0, 0, 1}, {1, 0, 2}, {8, 2, 3}, {0, 2, 4}}, 5, 5, out));
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[2], 2.0f);         // x = 1 is two cells along
    EXPECT_EQ(out[4 * 5 + 0], 4.0f); // y = 2 is the top row
    EXPECT_EQ(std::count(out.begin(), out.end(), 3.0f), 0); // x = 8 lies beyond the grid
}

TEST(RadiusGridder, ManyPointsGiveWeightedMeansWithinTheirRange)
{
    RadiusGridder gridder;
    gridder.radius = 5;
    const size_t count = 100000;
    const std::vector<float> x = RandomValues(count, 8, -500.0f, 500.0f);
    const std::vector<float> y = RandomValues(count, 9, 1000.0f, 1400.0f);
    const std::vector<float> v = RandomValues(count, 10, 3.0f, 4.0f);
    std::vector<float> out(200 * 100);
    ASSERT_TRUE(gridder.GridScattered(static_cast<int>(count), x.data(), y.data(), v.data(), 200, 100, out.data()));
    const auto [low, high] = std::minmax_element(out.begin(), out.end());
    EXPECT_GE(*low, 3.0f - 1e-5f);
    EXPECT_LE(*high, 4.0f + 1e-5f);
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
    ASSERT_TRUE(Grid(gridder, points, 1000, 1000, out));
    EXPECT_NEAR(out[0], 1.0f, 1e-3f);

    gridder.radius = 0;
    ASSERT_TRUE(Grid(gridder, points, 4, 4, out));
    EXPECT_EQ(std::count(out.begin(), out.end(), kNoDataValue), 16);

    gridder.radius = 0x7FFFFFFF;
    ASSERT_TRUE(Grid(gridder, points, 4, 4, out));
    for (float value : out)
        EXPECT_TRUE(value >= 1.0f && value <= 4.0f);
}

// ---- SmoothProfile ------------------------------------------------------------------------

TEST(SmoothProfile, ShortCurvesAreLeftAloneAndASpikeSpreadsOverNineCentres)
{
    std::vector<float> values = {1, 4, 7, 100, 13, 16, 19, 22};
    const std::vector<float> before = values;
    SmoothProfile(values.data(), 8);
    EXPECT_EQ(values, before);
    SmoothProfile(nullptr, 20);

    // Means are taken from unsmoothed values; the four values at each end stay.
    values.assign(21, 0.0f);
    values[10] = 9.0f;
    SmoothProfile(values.data(), 21);
    for (int k = 0; k < 21; ++k)
        EXPECT_NEAR(values[k], k >= 6 && k <= 14 ? 1.0f : 0.0f, 1e-6f) << k;
}

TEST(SmoothProfile, RunningSumMatchesTheWindowMean)
{
    for (size_t count : {9u, 10u, 5000u}) {
        std::vector<float> values = RandomValues(count, 11, 10.0f, 20.0f);
        std::vector<float> expected = values;
        reference::SmoothProfile(expected);
        SmoothProfile(values.data(), static_cast<int>(values.size()));
        EXPECT_LT(RelativeDifference(values, expected), 1e-5) << count;
    }
}
