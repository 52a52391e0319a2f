// Whole surveys through the protocol against the built-in simulator, read back through the
// session file and the conversion, as lurctl does them.
#include <gtest/gtest.h>

#include <cmath>

#include "Lurctl.h"
#include "conversion/ReadingConversion.h"
#include "model/ForwardModel.h"
#include "platform/FileIO.h"
#include "survey/Calibration.h"

using testing_support::TempDir;

namespace {

// The output of lurctl, which must succeed; its standard error is dropped.
std::string Output(const TempDir& config, const std::string& arguments)
{
    LurctlResult r = Lurctl(config, arguments, "/dev/null");
    EXPECT_EQ(r.status, 0) << arguments;
    return r.out;
}

// Takes a simulated survey into `file` and describes it.
std::string SurveyInfo(const TempDir& config, const std::string& arguments, const std::string& file)
{
    Output(config, "survey --simulate " + arguments + " --out " + file);
    return Output(config, "session info " + file);
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

// Over a homogeneous ground the readings come back as the instrument model says: apparent
// resistivity from the quadrature is the ground's only at low induction numbers, where the
// signal is a few quanta, so each frequency is held to what the model predicts for it.
// Inverted, the readings give the ground back.
TEST(SurveyClosedLoop, HomogeneousGroundReadsBackAsModelledAndInvertsToItself)
{
    TempDir config;
    const CalibrationSet& cal = BuiltInCalibrationSet();
    ForwardModel model(cal);
    ConversionSettings quadratureSettings;
    quadratureSettings.signalComponent = 1;
    for (double ohmMetres : {3.0, 10.0, 100.0, 1000.0}) {
        const std::string file = config.File("h.lur");
        Output(config, "survey --simulate --type limited --x 3 --homogeneous " + std::to_string(ohmMetres) + " --out " + file);
        const std::string csv = "session export " + file + " --format csv --units ";
        auto apparent = Rows(Output(config, csv + "apparent --component quadrature --resistivity"));
        auto quadrature = Rows(Output(config, csv + "adc --component quadrature"));
        auto inphase = Rows(Output(config, csv + "adc --component inphase"));
        ASSERT_EQ(apparent.size(), 3u);
        ASSERT_EQ(quadrature.size(), 3u);
        ASSERT_EQ(inphase.size(), 3u);

        ModelResponse z{};
        ASSERT_TRUE(model.Evaluate(HalfSpace(1 / ohmMetres), kAllFrequencies, z));
        int resolved = 0;
        for (int i = 0; i < kFrequencyCount; ++i) {
            // The ground's share of the signal, in quanta, once the air undercompensation is off.
            const double ground = std::hypot(quadrature[0][size_t(i)] - cal.XA[size_t(i)],
                                             inphase[0][size_t(i)] - cal.YA[size_t(i)]);
            if (ground < 100)
                continue; // a quantum is more than 1% of it
            ++resolved;
            const double modelled = 1 / ApparentConductivity(quadratureSettings, cal, z[size_t(i)].real(), i);
            for (const auto& row : apparent)
                EXPECT_NEAR(row[size_t(i)], modelled, 0.02 * std::fabs(modelled)) << ohmMetres << " ohm-m, frequency " << i + 1;
        }
        // Conductive ground gives strong signals at most frequencies, resistive ground only at the highest.
        const int expected = ohmMetres <= 10 ? 10 : ohmMetres <= 100 ? 3 : 0;
        EXPECT_GE(resolved, expected) << ohmMetres << " ohm-m";

        if (ohmMetres > 100)
            continue; // too few quanta at most frequencies to fix the ground to 5%
        Output(config, "invert " + file + " --noise 0.01,1 --out " + config.File("h.csv"));
        std::string inverted;
        ASSERT_TRUE(platform::ReadWholeFile(config.File("h.csv"), 1 << 20, inverted).ok);
        const auto stations = CsvRows(inverted);
        ASSERT_EQ(stations.size(), 3u);
        for (const std::vector<std::string>& cells : stations) {
            ASSERT_EQ(cells.size(), 9u + 2 * 25) << inverted;
            EXPECT_EQ(cells[5], "ok");
            const double doi = std::stod(cells[7]);
            EXPECT_GT(doi, 3.0);
            for (size_t j = 0; j < 25 && std::stod(cells[9 + j]) < doi; ++j)
                EXPECT_NEAR(1 / std::stod(cells[9 + 25 + j]), ohmMetres, 0.05 * ohmMetres) << "layer " << j;
        }
    }
}

// Maps and limited profiles are taken by the other loops and the fault tests.
TEST(SurveyClosedLoop, AProfileRoundTripsThroughTheProtocol)
{
    TempDir config;
    const std::string out = SurveyInfo(config, "--type profile --readings 7", config.File("p.lur"));
    EXPECT_NE(out.find("profile (4)"), std::string::npos) << out;
    EXPECT_NE(out.find("measured: 7"), std::string::npos) << out;
}

TEST(SurveyClosedLoop, ATrackFollowsTheSimulatedWalkerAndSeesThePipe)
{
    TempDir config;
    std::string out;
    const std::string track = config.File("track.lur");
    // 1 s of walking between readings, about 1.2 m, all along the first 120 m line (north 0);
    // time runs only 10 times faster, so a reading held up by a busy machine moves little further.
    out = SurveyInfo(config, "--type track --readings 60 --interval 1 --time-factor 10", track);
    EXPECT_NE(out.find("GPS track (31)"), std::string::npos) << out;
    EXPECT_NE(out.find("measured: 60"), std::string::npos) << out;

    out = Output(config, "session export " + track + " --format csv --units adc");
    struct Row {
        double east, north;
        double highest; // the highest frequency's value
    };
    std::vector<Row> rows;
    for (const std::vector<std::string>& cells : CsvRows(out)) {
        ASSERT_EQ(cells.size(), 12u + kFrequencyCount) << out;
        rows.push_back({std::stod(cells[3]), std::stod(cells[4]), std::stod(cells.back())});
    }
    ASSERT_EQ(rows.size(), 60u);
    for (size_t k = 1; k < rows.size(); ++k) {
        EXPECT_NEAR(rows[k].north, 0.0, 0.5) << k;
        EXPECT_GT(rows[k].east - rows[k - 1].east, 0.6) << k; // never left at one place
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
    // The uniform ground elsewhere reads exactly alike, so tens of quanta are the pipe; how many
    // depends on how near it a reading fell, which a busy machine moves.
    EXPECT_GT(std::fabs(overPipe), 30.0);
}

// A receiver that reports late from an antenna behind the instrument, with four
// constellations: its positions lag the instrument by speed × lag plus the antenna's
// distance, and the export with that lag and offset puts them back. The simulated 1.5 s
// pass in 0.15 s of the program's clock at ten times the pace. The qualities of the
// simulated fixes reach the export.
TEST(SurveyClosedLoop, ALateReceiverIsPutRightOnExport)
{
    TempDir config;
    const std::string track = config.File("late.lur");
    Output(config, "survey --simulate --type track --readings 20 --time-factor 10 --gps-lag 1.5 --antenna-ahead -1.2 "
                   "--multi-gnss --out " + track);
    const std::string csv = "session export " + track + " --format csv --units adc";
    const auto raw = CsvRows(Output(config, csv + " --gps-lag 0 --antenna-offset 0"));
    const auto corrected = CsvRows(Output(config, csv + " --gps-lag 0.15 --antenna-offset -1.2"));
    ASSERT_EQ(raw.size(), 20u);
    ASSERT_EQ(corrected.size(), 20u);
    const double metresPerDegreeLongitude = 6371000.0 * M_PI / 180 * std::cos(55.7 * M_PI / 180);
    int placedWell = 0;
    for (size_t k = 1; k + 1 < raw.size(); ++k) { // the first and last have no fix before or after them
        SCOPED_TRACE(k);
        ASSERT_EQ(raw[k].size(), 12u + kFrequencyCount);
        // All along the first line, walking east at 1.2 m/s: 1.8 m of lag and 1.2 m of antenna.
        const double eastward = (std::stod(corrected[k][2]) - std::stod(raw[k][2])) * metresPerDegreeLongitude;
        EXPECT_NEAR(eastward, 3.0, 0.3);
        EXPECT_EQ(corrected[k][7], "1");  // GGA: a GNSS fix
        EXPECT_EQ(corrected[k][9], "20"); // GPS, GLONASS, Galileo and BeiDou satellites
        placedWell += corrected[k][11] == "1";
    }
    EXPECT_GT(placedWell, 10);
}

} // namespace
