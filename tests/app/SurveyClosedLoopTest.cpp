// Whole surveys through the protocol against the built-in simulator, read back through the
// session file and the conversion, as lurctl does them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

#include "support/TempDir.h"
#include "survey/Calibration.h"

using testing_support::TempDir;

namespace {

int Lurctl(const TempDir& config, const std::string& arguments, std::string& out)
{
    std::string command = std::string(LURCTL_PATH) + " --config-dir '" + config.path() + "' " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buffer;
    size_t n;
    out.clear();
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Takes a simulated survey into `file` and describes it.
std::string SurveyInfo(const TempDir& config, const std::string& arguments, const std::string& file)
{
    std::string out;
    EXPECT_EQ(Lurctl(config, "survey --simulate " + arguments + " --out " + file, out), 0) << arguments;
    EXPECT_EQ(Lurctl(config, "session info " + file, out), 0) << file;
    return out;
}

// The cells of each data row of an export.
std::vector<std::vector<std::string>> CsvRows(const std::string& csv)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line); // header
    while (std::getline(lines, line)) {
        std::vector<std::string>& cells = rows.emplace_back();
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');)
            cells.push_back(cell);
    }
    return rows;
}

// The 14 frequency columns of each data row of a survey's export.
std::vector<std::array<double, kFrequencyCount>> Rows(const std::string& csv)
{
    std::vector<std::array<double, kFrequencyCount>> rows;
    for (const std::vector<std::string>& cells : CsvRows(csv)) {
        if (cells.size() < 5 + kFrequencyCount)
            continue;
        std::array<double, kFrequencyCount> row{};
        for (int i = 0; i < kFrequencyCount; ++i)
            row[size_t(i)] = std::stod(cells[5 + size_t(i)]);
        rows.push_back(row);
    }
    return rows;
}

TEST(SurveyClosedLoop, HomogeneousGroundReadsBackWithinTwoPercent)
{
    TempDir config;
    const CalibrationSet& cal = BuiltInCalibrationSet();
    for (double ohmMetres : {3.0, 10.0, 100.0, 1000.0}) {
        std::string out;
        const std::string file = config.File("h.lur");
        ASSERT_EQ(Lurctl(config, "survey --simulate --type limited --x 3 --homogeneous " + std::to_string(ohmMetres) +
                                  " --out " + file, out), 0);
        ASSERT_EQ(Lurctl(config, "session export " + file + " --format csv --units apparent --component quadrature --resistivity", out), 0);
        auto apparent = Rows(out);
        ASSERT_EQ(Lurctl(config, "session export " + file + " --format csv --units adc --component quadrature", out), 0);
        auto quadrature = Rows(out);
        ASSERT_EQ(Lurctl(config, "session export " + file + " --format csv --units adc --component inphase", out), 0);
        auto inphase = Rows(out);
        ASSERT_EQ(apparent.size(), 3u);
        ASSERT_EQ(quadrature.size(), 3u);
        ASSERT_EQ(inphase.size(), 3u);

        int resolved = 0;
        for (int i = 0; i < kFrequencyCount; ++i) {
            // The ground's share of the signal, in quanta, once the air undercompensation is off.
            const double ground = std::hypot(quadrature[0][size_t(i)] - cal.XA[size_t(i)],
                                             inphase[0][size_t(i)] - cal.YA[size_t(i)]);
            if (ground < 100)
                continue; // a quantum is more than 1% of it
            ++resolved;
            for (const auto& row : apparent)
                EXPECT_NEAR(row[size_t(i)], ohmMetres, 0.02 * ohmMetres) << ohmMetres << " ohm-m, frequency " << i + 1;
        }
        // Conductive ground gives strong signals at most frequencies, resistive ground only at the highest.
        const int expected = ohmMetres <= 10 ? 10 : ohmMetres <= 100 ? 3 : 0;
        EXPECT_GE(resolved, expected) << ohmMetres << " ohm-m";
    }
}

TEST(SurveyClosedLoop, EveryWorkTypeRoundTripsThroughTheProtocol)
{
    TempDir config;
    std::string out;
    out = SurveyInfo(config, "--type map --x 20 --y 10", config.File("map.lur"));
    EXPECT_NE(out.find("grid: 20 stations x 10 profiles"), std::string::npos) << out;
    EXPECT_NE(out.find("measured: 200"), std::string::npos) << out;

    out = SurveyInfo(config, "--type profile --readings 7", config.File("profile.lur"));
    EXPECT_NE(out.find("profile (4)"), std::string::npos) << out;
    EXPECT_NE(out.find("measured: 7"), std::string::npos) << out;

    const std::string series = config.File("series.lur");
    out = SurveyInfo(config, "--type limited --x 28 --series", series);
    EXPECT_NE(out.find("measured: 28"), std::string::npos) << out;

    EXPECT_EQ(Lurctl(config, "survey --simulate --type map --gps-port /dev/null --out " + series, out), 2);
    EXPECT_EQ(Lurctl(config, "survey --type map --out " + series, out), 2);
}

TEST(SurveyClosedLoop, ATrackFollowsTheSimulatedWalkerAndSeesThePipe)
{
    TempDir config;
    std::string out;
    const std::string track = config.File("track.lur");
    // 2 s of walking between readings, about 2.4 m, all along the first 120 m line (north 0);
    // time runs only 10 times faster, so a reading held up by a busy machine moves little further.
    out = SurveyInfo(config, "--type track --readings 30 --time-factor 10", track);
    EXPECT_NE(out.find("GPS track (31)"), std::string::npos) << out;
    EXPECT_NE(out.find("measured: 30"), std::string::npos) << out;

    ASSERT_EQ(Lurctl(config, "session export " + track + " --format csv --units adc", out), 0);
    struct Row {
        double east, north;
        double highest; // the highest frequency's value
    };
    std::vector<Row> rows;
    for (const std::vector<std::string>& cells : CsvRows(out)) {
        ASSERT_EQ(cells.size(), 7u + kFrequencyCount) << out;
        rows.push_back({std::stod(cells[3]), std::stod(cells[4]), std::stod(cells.back())});
    }
    ASSERT_EQ(rows.size(), 30u);
    for (size_t k = 1; k < rows.size(); ++k) {
        EXPECT_NEAR(rows[k].north, 0.0, 0.5) << k;
        EXPECT_GT(rows[k].east - rows[k - 1].east, 1.0) << k; // never left at one place
        EXPECT_LT(rows[k].east - rows[k - 1].east, 8.0) << k;
    }
    ASSERT_GT(rows.back().east, 62.0);
    // Away from the pipe (x 20) and the block (x 40 to 60) the ground is uniform; over the
    // pipe it is not.
    const double background = rows.back().highest;
    double overPipe = 0;
    for (const Row& row : rows) {
        if (row.east > 62) {
            EXPECT_EQ(row.highest, background) << row.east;
        } else if (std::fabs(row.east - 20) < 3 && std::fabs(row.highest - background) > std::fabs(overPipe)) {
            overPipe = row.highest - background;
        }
    }
    EXPECT_GT(std::fabs(overPipe), 100.0);
}

} // namespace
