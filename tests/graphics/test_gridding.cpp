#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "GriddingReference.h"
#include "graphics/BilinearGridder.h"
#include "graphics/NoDataValue.h"
#include "graphics/RadiusGridder.h"
#include "graphics/SmoothProfile.h"

namespace {

std::vector<float> Ramp(int count, float start, float step)
{
    std::vector<float> values(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        values[k] = start + step * static_cast<float>(k);
    return values;
}

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

} // namespace

// ---- Smooth -------------------------------------------------------------------------------

TEST(Smooth, FewerThanFiveRowsChangeNothing)
{
    BilinearGridder gridder;
    std::vector<float> grid = RandomValues(4 * 9, 1, -5.0f, 5.0f);
    const std::vector<float> before = grid;
    EXPECT_TRUE(gridder.Smooth(9, 4, grid.data()));
    EXPECT_EQ(grid, before);
}

TEST(Smooth, FiveByFiveChangesOnlyTheCentreToTheMeanOfAll)
{
    BilinearGridder gridder;
    std::vector<float> grid = Ramp(25, 1.0f, 1.0f); // 1..25, mean 13
    const std::vector<float> before = grid;
    EXPECT_TRUE(gridder.Smooth(5, 5, grid.data()));
    for (int k = 0; k < 25; ++k) {
        if (k == 12) {
            EXPECT_NEAR(grid[k], 13.0f, 1e-5f);
        } else {
            EXPECT_EQ(grid[k], before[k]) << k;
        }
    }
}

TEST(Smooth, NarrowGridsKeepTheirValues)
{
    BilinearGridder gridder;
    std::vector<float> grid = RandomValues(4 * 8, 2, 0.0f, 1.0f);
    const std::vector<float> before = grid;
    EXPECT_TRUE(gridder.Smooth(4, 8, grid.data()));
    EXPECT_EQ(grid, before);
}

TEST(Smooth, NoDataInTheFirstColumnStopsThePass)
{
    BilinearGridder gridder;
    const int nx = 7, ny = 9;
    std::vector<float> grid = RandomValues(nx * ny, 3, 0.0f, 10.0f);
    grid[6 * nx + 0] = kNoDataValue; // the bottom row of the window centred on row 4
    std::vector<float> expected = grid;
    reference::Smooth(nx, ny, expected);
    const std::vector<float> before = grid;
    EXPECT_TRUE(gridder.Smooth(nx, ny, grid.data()));
    EXPECT_LT(RelativeDifference(grid, expected), 1e-5);
    // Rows 2 and 3 were smoothed, rows 4 and beyond were not.
    EXPECT_NE(grid[2 * nx + 3], before[2 * nx + 3]);
    EXPECT_NE(grid[3 * nx + 3], before[3 * nx + 3]);
    for (int r = 4; r < ny; ++r)
        for (int c = 0; c < nx; ++c)
            EXPECT_EQ(grid[r * nx + c], before[r * nx + c]) << r << "," << c;
}

TEST(Smooth, NoDataInTheMiddleRowEndsThatRow)
{
    BilinearGridder gridder;
    const int nx = 9, ny = 5;
    std::vector<float> grid(nx * ny, 1.0f);
    grid[2 * nx + 6] = kNoDataValue; // reached first by the window ending at column 6
    EXPECT_TRUE(gridder.Smooth(nx, ny, grid.data()));
    // Windows ending at columns 4 and 5 see only ones; from column 6 on the row is left.
    EXPECT_FLOAT_EQ(grid[2 * nx + 2], 1.0f);
    EXPECT_FLOAT_EQ(grid[2 * nx + 3], 1.0f);
    EXPECT_EQ(grid[2 * nx + 4], 1.0f);
    EXPECT_EQ(grid[2 * nx + 5], 1.0f);
    EXPECT_EQ(grid[2 * nx + 6], kNoDataValue);
}

TEST(Smooth, MatchesTheCellByCellMeanOnLargeGrids)
{
    BilinearGridder gridder;
    for (const auto& [nx, ny] : {std::pair{5, 7}, std::pair{37, 23}, std::pair{640, 480}}) {
        std::vector<float> grid = RandomValues(static_cast<size_t>(nx) * ny, 4, -100.0f, 300.0f);
        std::vector<float> expected = grid;
        reference::Smooth(nx, ny, expected);
        EXPECT_TRUE(gridder.Smooth(nx, ny, grid.data()));
        EXPECT_LT(RelativeDifference(grid, expected), 1e-5) << nx << "x" << ny;
    }
}

TEST(Smooth, RejectsMissingOrEmptyGrids)
{
    BilinearGridder gridder;
    float cell = 1.0f;
    EXPECT_FALSE(gridder.Smooth(5, 5, nullptr));
    EXPECT_FALSE(gridder.Smooth(0, 5, &cell));
    EXPECT_FALSE(gridder.Smooth(5, -1, &cell));
    EXPECT_TRUE(gridder.Smooth(1, 1, &cell));
    EXPECT_EQ(cell, 1.0f);
}

// ---- BilinearGridder ----------------------------------------------------------------------

TEST(BilinearGridder, TwoByTwoOntoThreeByThree)
{
    BilinearGridder gridder;
    const float xs[] = {0.0f, 1.0f};
    const float ys[] = {0.0f, 1.0f};
    const float values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> out(9, -1.0f);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 3, 3, out.data()));
    const std::vector<float> expected = {1.0f, 1.5f, 2.0f, 2.0f, 2.5f, 3.0f, 3.0f, 3.5f, 4.0f};
    for (size_t k = 0; k < 9; ++k)
        EXPECT_FLOAT_EQ(out[k], expected[k]) << k;
}

TEST(BilinearGridder, FollowsUnevenColumnsIntervalByInterval)
{
    BilinearGridder gridder;
    const float xs[] = {0.0f, 1.0f, 4.0f};
    const float ys[] = {0.0f, 2.0f};
    // Ten times x on the lower row, a hundred more on the upper one.
    const float values[] = {0.0f, 10.0f, 40.0f, 100.0f, 110.0f, 140.0f};
    std::vector<float> out(10);
    ASSERT_TRUE(gridder.Regrid(3, 2, xs, ys, values, 5, 2, out.data()));
    const std::vector<float> expected = {0, 10, 20, 30, 40, 100, 110, 120, 130, 140};
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_FLOAT_EQ(out[k], expected[k]) << k;
}

TEST(BilinearGridder, RepeatedCoordinatesTakeTheNearerEntry)
{
    BilinearGridder gridder;
    // Two table columns at x = 1 and two rows at y = 0: empty intervals.
    const float xs[] = {0.0f, 1.0f, 1.0f};
    const float ys[] = {0.0f, 0.0f};
    const float values[] = {0.0f, 8.0f, 9.0f, 2.0f, 10.0f, 11.0f};
    std::vector<float> out(3);
    ASSERT_TRUE(gridder.Regrid(3, 2, xs, ys, values, 3, 1, out.data()));
    // Column 0 at x 0, column 1 at 0.5 (first interval), column 2 at x 1: the bracket
    // stops at the first interval because x is not beyond xs[1].
    EXPECT_FLOAT_EQ(out[0], 1.0f);  // (0 + 2) / 2, the rows being one
    EXPECT_FLOAT_EQ(out[1], 5.0f);  // (4 + 6) / 2
    EXPECT_FLOAT_EQ(out[2], 9.0f);  // (8 + 10) / 2
}

TEST(BilinearGridder, SingleOutputColumnOrRowLiesAtTheFirstCoordinate)
{
    BilinearGridder gridder;
    const float xs[] = {0.0f, 2.0f};
    const float ys[] = {0.0f, 2.0f};
    const float values[] = {1.0f, 3.0f, 5.0f, 7.0f};
    float one = 0.0f;
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 1, 1, &one));
    EXPECT_FLOAT_EQ(one, 1.0f);
    std::vector<float> column(3);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 1, 3, column.data()));
    EXPECT_FLOAT_EQ(column[0], 1.0f);
    EXPECT_FLOAT_EQ(column[1], 3.0f);
    EXPECT_FLOAT_EQ(column[2], 5.0f);
}

TEST(BilinearGridder, RejectsTablesWithoutAnInterval)
{
    BilinearGridder gridder;
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
    BilinearGridder gridder;
    struct Case {
        int nxIn, nyIn, nxOut, nyOut;
    };
    for (const Case& k : {Case{2, 2, 3, 3}, Case{100, 14, 640, 200}, Case{100, 100, 333, 251}, Case{7, 5, 4, 3}}) {
        // Uneven ascending coordinates with repeats, as stations and depths come.
        std::vector<float> xs = RandomValues(static_cast<size_t>(k.nxIn), 5, 0.0f, 100.0f);
        std::vector<float> ys = RandomValues(static_cast<size_t>(k.nyIn), 6, 0.0f, 30.0f);
        std::sort(xs.begin(), xs.end());
        std::sort(ys.begin(), ys.end());
        xs[1] = xs[0];
        const std::vector<float> values = RandomValues(static_cast<size_t>(k.nxIn) * k.nyIn, 7, 1.0f, 500.0f);
        std::vector<float> out(static_cast<size_t>(k.nxOut) * k.nyOut);
        ASSERT_TRUE(gridder.Regrid(k.nxIn, k.nyIn, xs.data(), ys.data(), values.data(), k.nxOut, k.nyOut, out.data()));
        std::vector<float> expected;
        reference::Bilinear(k.nxIn, k.nyIn, xs.data(), ys.data(), values.data(), k.nxOut, k.nyOut, expected);
        EXPECT_LT(RelativeDifference(out, expected), 1e-5) << k.nxIn << "x" << k.nyIn;
    }
}

TEST(BilinearGridder, AccumulatedPositionsPastTheLastCoordinateStayInTheTable)
{
    BilinearGridder gridder;
    // 0.1 summed a thousand times overshoots 100.0 in single precision.
    const float xs[] = {0.0f, 0.1f, 0.7f};
    const float ys[] = {0.0f, 0.3f};
    const float values[] = {0.0f, 1.0f, 7.0f, 0.0f, 1.0f, 7.0f};
    std::vector<float> out(1001 * 2);
    ASSERT_TRUE(gridder.Regrid(3, 2, xs, ys, values, 1001, 2, out.data()));
    for (float v : out)
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(out[1000], 7.0f, 1e-3f);
}

TEST(BilinearGridder, LargeOutputOfATinyTable)
{
    BilinearGridder gridder;
    const float xs[] = {0.0f, 1.0f};
    const float ys[] = {0.0f, 1.0f};
    const float values[] = {2.0f, 2.0f, 2.0f, 2.0f};
    std::vector<float> out(1920 * 1080);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 1920, 1080, out.data()));
    for (float v : out)
        ASSERT_NEAR(v, 2.0f, 1e-5f);
}

// ---- RadiusGridder ------------------------------------------------------------------------

namespace {

struct Points {
    std::vector<float> x, y, v;
    void Add(float px, float py, float pv)
    {
        x.push_back(px);
        y.push_back(py);
        v.push_back(pv);
    }
    int Count() const { return static_cast<int>(x.size()); }
};

bool Grid(RadiusGridder& gridder, const Points& points, int nx, int ny, std::vector<float>& out)
{
    return gridder.GridScattered(points.Count(), points.x.data(), points.y.data(), points.v.data(), nx, ny,
                                 out.data());
}

} // namespace

TEST(RadiusGridder, FailsWithTooFewPointsOrNoAreaAndLeavesTheOutput)
{
    RadiusGridder gridder;
    std::vector<float> out(9, -3.0f);
    Points three;
    three.Add(0, 0, 1);
    three.Add(1, 1, 1);
    three.Add(2, 0, 1);
    EXPECT_FALSE(Grid(gridder, three, 3, 3, out));

    Points vertical;
    Points horizontal;
    for (int k = 0; k < 5; ++k) {
        vertical.Add(2.0f, static_cast<float>(k), 1.0f);
        horizontal.Add(static_cast<float>(k), -1.0f, 1.0f);
    }
    EXPECT_FALSE(Grid(gridder, vertical, 3, 3, out));
    EXPECT_FALSE(Grid(gridder, horizontal, 3, 3, out));

    Points square;
    for (int k = 0; k < 4; ++k)
        square.Add(static_cast<float>(k % 2), static_cast<float>(k / 2), 1.0f);
    EXPECT_FALSE(Grid(gridder, square, 1, 3, out));
    EXPECT_FALSE(Grid(gridder, square, 3, 1, out));
    EXPECT_EQ(out, std::vector<float>(9, -3.0f));
}

TEST(RadiusGridder, RadiusOneFillsOnlyTheCellsHoldingPoints)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    Points corners;
    corners.Add(0, 0, 1);
    corners.Add(2, 0, 2);
    corners.Add(0, 2, 3);
    corners.Add(2, 2, 4);
    std::vector<float> out(9);
    ASSERT_TRUE(Grid(gridder, corners, 3, 3, out));
    const float n = kNoDataValue;
    EXPECT_EQ(out, (std::vector<float>{1, n, 2, n, n, n, 3, n, 4}));
}

TEST(RadiusGridder, ConeWeightsFallToOneOverRadiusAndThenToNothing)
{
    RadiusGridder gridder;
    gridder.radius = 3;
    Points points;
    points.Add(0, 0, 0);      // cell (0, 0), weight 1 there
    points.Add(2, 0, 10);     // two cells away: weight 1/3 at (0, 0)
    points.Add(3, 0, 1000);   // three cells away: no weight at (0, 0)
    points.Add(4, 4, 5);
    std::vector<float> out(25);
    ASSERT_TRUE(Grid(gridder, points, 5, 5, out));
    EXPECT_NEAR(out[0], 2.5f, 1e-5f); // (0·1 + 10/3) / (1 + 1/3)
    // Row 2, column 2 is two steps above (2, 0) and three or more from the others.
    EXPECT_FLOAT_EQ(out[2 * 5 + 2], 10.0f);
    // Row 4, column 0 is four or more steps from every point.
    EXPECT_EQ(out[4 * 5 + 0], kNoDataValue);
}

TEST(RadiusGridder, PointsInOneCellAreAveraged)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    Points points;
    points.Add(0.1f, 0.1f, 1);
    points.Add(0.2f, 0.3f, 3);
    points.Add(4, 0, 7);
    points.Add(0, 4, 7);
    points.Add(4, 4, 7);
    std::vector<float> out(25);
    ASSERT_TRUE(Grid(gridder, points, 5, 5, out));
    EXPECT_FLOAT_EQ(out[0], 2.0f);
}

TEST(RadiusGridder, CellsAreSquareAlongTheShorterSpacing)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    Points points; // x spans 0..8, y spans 0..2: on a 5 × 5 grid the cell is 0.5
    points.Add(0, 0, 1);
    points.Add(1, 0, 2);
    points.Add(8, 2, 3);
    points.Add(0, 2, 4);
    std::vector<float> out(25);
    ASSERT_TRUE(Grid(gridder, points, 5, 5, out));
    EXPECT_EQ(out[0], 1.0f);
    EXPECT_EQ(out[2], 2.0f);        // x = 1 is two cells along
    EXPECT_EQ(out[4 * 5 + 0], 4.0f); // y = 2 is the top row
    // x = 8 lies far beyond the grid's four cells: it reaches nothing.
    EXPECT_EQ(std::count(out.begin(), out.end(), 3.0f), 0);
}

TEST(RadiusGridder, EveryCellIsAWeightedMeanOfItsPoints)
{
    RadiusGridder gridder;
    gridder.radius = 5;
    const size_t n = 100000;
    const std::vector<float> x = RandomValues(n, 8, -500.0f, 500.0f);
    const std::vector<float> y = RandomValues(n, 9, 1000.0f, 1400.0f);
    const std::vector<float> v = RandomValues(n, 10, 3.0f, 4.0f);
    std::vector<float> out(200 * 100);
    ASSERT_TRUE(gridder.GridScattered(static_cast<int>(n), x.data(), y.data(), v.data(), 200, 100, out.data()));
    for (float value : out) {
        ASSERT_GE(value, 3.0f - 1e-5f);
        ASSERT_LE(value, 4.0f + 1e-5f);
    }
}

TEST(RadiusGridder, MatchesThePointByPointDefinitionExactly)
{
    // Small radii use the weight table, radii beyond 4096 cells work each weight out; the
    // banded pass must sum every cell in point order either way.
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
        EXPECT_EQ(out, expected) << "radius " << k.radius;
    }
}

TEST(RadiusGridder, UnplacedPointsAreLeftOut)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    Points points;
    points.Add(0, 0, 1);
    points.Add(NAN, 1, 100);
    points.Add(2, 2, 2);
    points.Add(INFINITY, 0, 100);
    points.Add(0, 2, 3);
    points.Add(2, 0, 4);
    std::vector<float> out(9);
    ASSERT_TRUE(Grid(gridder, points, 3, 3, out));
    const float n = kNoDataValue;
    EXPECT_EQ(out, (std::vector<float>{1, n, 4, n, n, n, 3, n, 2}));

    Points mostlyUnplaced;
    mostlyUnplaced.Add(0, 0, 1);
    mostlyUnplaced.Add(1, 1, 1);
    mostlyUnplaced.Add(2, 0, 1);
    mostlyUnplaced.Add(NAN, NAN, 1);
    EXPECT_FALSE(Grid(gridder, mostlyUnplaced, 3, 3, out));
}

TEST(RadiusGridder, ExtremeExtentsAndRadiiStayBounded)
{
    RadiusGridder gridder;
    Points points; // a cell of a millionth across a kilometre-wide spread
    points.Add(0, 0, 1);
    points.Add(1e6f, 0, 2);
    points.Add(0, 1e-3f, 3);
    points.Add(1e6f, 1e-3f, 4);
    std::vector<float> out(1000 * 1000);
    ASSERT_TRUE(Grid(gridder, points, 1000, 1000, out));
    EXPECT_NEAR(out[0], 1.0f, 1e-3f);

    gridder.radius = 0;
    std::vector<float> small(4 * 4);
    ASSERT_TRUE(Grid(gridder, points, 4, 4, small));
    EXPECT_EQ(std::count(small.begin(), small.end(), kNoDataValue), 16);

    gridder.radius = 0x7FFFFFFF;
    ASSERT_TRUE(Grid(gridder, points, 4, 4, small));
    for (float value : small)
        EXPECT_TRUE(value >= 1.0f && value <= 4.0f);
}

TEST(RadiusGridder, RegridTreatsTheTableAsPoints)
{
    RadiusGridder gridder;
    gridder.radius = 1;
    const float xs[] = {0.0f, 2.0f};
    const float ys[] = {0.0f, 2.0f};
    const float values[] = {1.0f, 2.0f, 3.0f, 4.0f};
    std::vector<float> out(9);
    ASSERT_TRUE(gridder.Regrid(2, 2, xs, ys, values, 3, 3, out.data()));
    const float n = kNoDataValue;
    EXPECT_EQ(out, (std::vector<float>{1, n, 2, n, n, n, 3, n, 4}));
    EXPECT_FALSE(gridder.Regrid(1, 2, xs, ys, values, 3, 3, out.data())); // two points only
}

// ---- SmoothProfile ------------------------------------------------------------------------

TEST(SmoothProfile, ShortCurvesAreLeftAlone)
{
    std::vector<float> values = Ramp(8, 1.0f, 3.0f);
    values[3] = 100.0f;
    const std::vector<float> before = values;
    SmoothProfile(values.data(), 8);
    EXPECT_EQ(values, before);
    SmoothProfile(nullptr, 20);
}

TEST(SmoothProfile, NineValuesChangeOnlyTheMiddleOne)
{
    std::vector<float> values = {9, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<float> before = values;
    SmoothProfile(values.data(), 9);
    EXPECT_NEAR(values[4], 1.0f, 1e-6f);
    for (int k = 0; k < 9; ++k) {
        if (k != 4) {
            EXPECT_EQ(values[k], before[k]);
        }
    }
}

TEST(SmoothProfile, MeansAreTakenFromUnsmoothedValues)
{
    std::vector<float> values(21, 0.0f);
    values[10] = 9.0f; // a spike spreads evenly over the nine centres that see it
    SmoothProfile(values.data(), 21);
    for (int k = 0; k < 21; ++k)
        EXPECT_NEAR(values[k], k >= 6 && k <= 14 ? 1.0f : 0.0f, 1e-6f) << k;
}

TEST(SmoothProfile, RunningSumMatchesTheWindowMean)
{
    std::vector<float> values = RandomValues(5000, 11, 10.0f, 20.0f);
    std::vector<float> expected = values;
    reference::SmoothProfile(expected);
    SmoothProfile(values.data(), static_cast<int>(values.size()));
    EXPECT_LT(RelativeDifference(values, expected), 1e-5);
}
