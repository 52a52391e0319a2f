// `lurctl invert` to GeoTIFF and GeoPackage, read back through GDAL and compared with the
// CSV of the same inversion: each slice of each station is the CSV's layer at that depth,
// empty below the station's depth of investigation and for a refused station; a track's
// cells hold the nearest inverted reading, found here by trying every one.
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "../app/Lurctl.h"
#include "ExportFixture.h"
#include "model/SyntheticStation.h"
#include "session/SessionFile.h"
#include "survey/SurveyDataSet.h"

namespace {

// One row of the inversion's CSV.
struct CsvRow {
    std::map<std::string, std::string> fields;
    std::vector<double> tops, sigma;
    double Number(const std::string& name) const { return std::stod(fields.at(name)); }
    bool Ok() const { return fields.at("status") == "ok"; }
    // σ at `depth`; NaN below the depth of investigation or when refused; nullopt when the
    // CSV's rounding of a top or of the depth of investigation leaves it in doubt.
    std::optional<double> SigmaAt(double depth) const
    {
        if (!Ok())
            return NAN;
        const double doi = Number("doi_m");
        if (std::fabs(depth - doi) < 2e-3)
            return std::nullopt;
        if (depth > doi)
            return NAN;
        size_t j = 0;
        while (j + 1 < tops.size() && depth >= tops[j + 1]) {
            ++j;
        }
        for (double top : tops)
            if (std::fabs(top - depth) < 1e-3)
                return std::nullopt;
        return sigma[j];
    }
};

std::vector<CsvRow> ReadCsv(const std::string& text)
{
    std::vector<CsvRow> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::vector<std::string> header;
    for (std::istringstream cells(line); std::getline(cells, line, ',');)
        header.push_back(line);
    while (std::getline(lines, line)) {
        CsvRow row;
        std::istringstream cells(line);
        std::string cell;
        for (size_t k = 0; k < header.size() && std::getline(cells, cell, ','); ++k) {
            row.fields[header[k]] = cell;
            if (header[k].starts_with("top_") && !cell.empty())
                row.tops.push_back(std::stod(cell));
            if (header[k].starts_with("sigma_") && !cell.empty())
                row.sigma.push_back(std::stod(cell));
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<double> Slices(GDALDataset& tif)
{
    std::vector<double> depths;
    for (int b = 1; b <= tif.GetRasterCount(); ++b) {
        const std::string name = tif.GetRasterBand(b)->GetDescription();
        depths.push_back(std::stod(name.substr(6))); // "depth_1.5m"
    }
    return depths;
}

void ExpectValue(float got, double noData, std::optional<double> expected, const std::string& where)
{
    if (!expected)
        return;
    if (std::isnan(*expected))
        EXPECT_EQ(double(got), noData) << where;
    else
        EXPECT_NEAR(got, *expected, 2e-5 * *expected) << where;
}

class LurctlInvertTest : public ExportTest {
protected:
    std::vector<MeasurementRecord> Modelled(size_t n)
    {
        std::vector<MeasurementRecord> records;
        for (size_t k = 0; k < n; ++k)
            records.push_back(
                testing_support::ModelledRecord({{0.02, 0.2, 0.05}, {1.0, 1.0 + 0.1 * double(k)}}, 0.01, uint32_t(k + 1)));
        return records;
    }
    // Inverts `session` into the three formats; false when a run failed.
    bool Invert(const std::string& session, const std::string& stem, const std::string& options = "")
    {
        for (const char* extension : {".csv", ".tif", ".gpkg"}) {
            const LurctlResult run =
                Lurctl(config, "invert '" + session + "' " + options + " --out '" + dir.File(stem + extension) + "'");
            EXPECT_EQ(run.status, 0) << extension << ": " << run.out;
            if (run.status != 0)
                return false;
        }
        return true;
    }
    // Every feature of the GeoPackage against the CSV row of its reading.
    void ExpectPointsAsCsv(const std::string& path, const std::vector<CsvRow>& rows, const std::vector<double>& slices,
                           bool track)
    {
        Dataset gpkg = Open(path, GDAL_OF_VECTOR);
        ASSERT_TRUE(gpkg);
        EXPECT_STREQ(gpkg->GetMetadataItem("noise_relative"), "0.03");
        OGRLayer* layer = gpkg->GetLayer(0);
        ASSERT_EQ(size_t(layer->GetFeatureCount()), rows.size());
        size_t n = 0;
        for (auto& feature : *layer) {
            const CsvRow& row = rows[n++];
            EXPECT_EQ(feature->GetFieldAsInteger("reading"), int(row.Number("index")));
            EXPECT_EQ(feature->GetFieldAsString("status"), row.fields.at("status"));
            const OGRPoint* point = feature->GetGeometryRef() ? feature->GetGeometryRef()->toPoint() : nullptr;
            ASSERT_NE(point, nullptr);
            EXPECT_NEAR(point->getX(), row.Number(track ? "longitude" : "x_m"), 1e-7);
            EXPECT_NEAR(point->getY(), row.Number(track ? "latitude" : "y_m"), 1e-7);
            for (double depth : slices) {
                const std::optional<double> expected = row.SigmaAt(depth);
                const int field = feature->GetFieldIndex(("sigma_" + Depth(depth) + "m").c_str());
                ASSERT_GE(field, 0) << depth;
                // A null field stands for the raster's no-data, which no σ equals.
                ExpectValue(feature->IsFieldNull(field) ? -1.0f : float(feature->GetFieldAsDouble(field)), -1.0,
                            expected, std::to_string(n) + " at " + std::to_string(depth));
            }
        }
    }
    static std::string Depth(double depth)
    {
        std::ostringstream text;
        text << depth;
        std::string s = text.str();
        std::replace(s.begin(), s.end(), '.', '_');
        return s;
    }

    testing_support::TempDir config;
};

TEST_F(LurctlInvertTest, ASurveysSlicesHoldEachStationsGroundDownToItsDepthOfInvestigation)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 4;
    Settings().ySize = 3;
    std::vector<MeasurementRecord> records = Modelled(12);
    testing_support::PutChannel(records[5], 8, 8388607, 3, 3, 3); // profile 1, station 2: saturated
    records[11] = MeasurementRecord{};                              // profile 2, station 3: not measured
    SurveyDataSet survey(Settings(), records);
    const std::string session = dir.File("map.lur");
    ASSERT_TRUE(SaveSession(survey, session).ok);
    ASSERT_TRUE(Invert(session, "map", "--noise 0.03,1"));

    const std::vector<CsvRow> rows = ReadCsv(testing_support::ReadFile(dir.File("map.csv")));
    ASSERT_EQ(rows.size(), 11u);
    Dataset tif = Open(dir.File("map.tif"), GDAL_OF_RASTER);
    ASSERT_TRUE(tif);
    EXPECT_STREQ(tif->GetMetadataItem("session"), "map.lur");
    EXPECT_STREQ(tif->GetMetadataItem("noise_relative"), "0.03");
    const std::vector<double> slices = Slices(*tif);
    ASSERT_GE(slices.size(), 4u);
    EXPECT_EQ(slices[0], 0.5);
    // A cell per station, the first profile at the bottom.
    ASSERT_EQ(tif->GetRasterXSize(), 4);
    ASSERT_EQ(tif->GetRasterYSize(), 3);
    std::array<double, 6> transform{};
    tif->GetGeoTransform(transform.data());
    EXPECT_EQ(transform[0], -0.5);
    EXPECT_EQ(transform[3], 2.5);
    // The provenance names the cell the grid has.
    ASSERT_NE(nullptr, tif->GetMetadataItem("cell_m"));
    char cell[64];
    std::snprintf(cell, sizeof cell, "%g x %g", transform[1], -transform[5]);
    EXPECT_STREQ(tif->GetMetadataItem("cell_m"), cell);
    int faded = 0;
    for (size_t b = 0; b < slices.size(); ++b) {
        const Band band = ReadBand(*tif, int(b + 1));
        for (const CsvRow& row : rows) {
            const int column = int(row.Number("station")), line = 2 - int(row.Number("profile"));
            const std::optional<double> expected = row.SigmaAt(slices[b]);
            ExpectValue(band.At(column, line), band.noData, expected,
                        "station " + row.fields.at("index") + " at " + std::to_string(slices[b]));
            faded += expected && std::isnan(*expected) && row.Ok();
        }
        EXPECT_EQ(band.At(3, 0), band.noData); // never measured
    }
    EXPECT_GT(faded, 0); // some slices lie below a depth of investigation
    EXPECT_EQ(rows[5].fields.at("status"), "saturated signal");
    ExpectPointsAsCsv(dir.File("map.gpkg"), rows, slices, false);

    // One profile alone: one row of cells.
    const LurctlResult one = Lurctl(config, "invert '" + session + "' --profile 1 --out '" + dir.File("p1.tif") + "'");
    ASSERT_EQ(one.status, 0) << one.out;
    Dataset profile = Open(dir.File("p1.tif"), GDAL_OF_RASTER);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->GetRasterYSize(), 1);
    const LurctlResult beyond = Lurctl(config, "invert '" + session + "' --profile 3 --out '" + dir.File("p3.tif") + "'");
    EXPECT_EQ(beyond.status, 2);
    EXPECT_NE(beyond.out.find("--profile takes a profile from 0 to 2"), std::string::npos) << beyond.out;
}

TEST_F(LurctlInvertTest, ATracksCellsHoldTheNearestInvertedReading)
{
    SessionImage image;
    image.track = true;
    image.records = Modelled(24);
    // Two lines 3 m apart, readings 1.5 m apart along them, one reading without a position.
    const double metresPerDegree = 6371000.0 * M_PI / 180.0;
    for (size_t k = 0; k < image.records.size(); ++k) {
        const double east = double(k % 12) * 1.5, north = double(k / 12) * 3.0;
        image.fixes.push_back(k == 7 ? GpsFix{}
                                     : GpsFix{55.75 + north / metresPerDegree,
                                              37.6 + east / (metresPerDegree * std::cos(55.75 * M_PI / 180)), 0});
    }
    Settings().workType = kWorkGpsTrack;
    const std::string session = dir.File("track.lur");
    ASSERT_TRUE(SaveSession(*TrackDataSet::LoadTrackBody(image, Settings()), session).ok);
    ASSERT_TRUE(Invert(session, "track", "--noise 0.03,1"));

    const std::vector<CsvRow> rows = ReadCsv(testing_support::ReadFile(dir.File("track.csv")));
    ASSERT_EQ(rows.size(), 24u);
    Dataset tif = Open(dir.File("track.tif"), GDAL_OF_RASTER);
    ASSERT_TRUE(tif);
    EXPECT_NE(std::string(tif->GetMetadataItem("crs")).find("UTM zone 37N"), std::string::npos);
    // The readings in the grid's CRS, the slow way.
    ASSERT_NE(tif->GetSpatialRef(), nullptr);
    const auto toUtm = FromWgs84(*tif->GetSpatialRef());
    ASSERT_TRUE(toUtm);
    std::vector<std::array<double, 2>> at;
    std::vector<size_t> placed;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (k == 7)
            continue; // no position
        double x = rows[k].Number("longitude"), y = rows[k].Number("latitude");
        ASSERT_TRUE(toUtm->Transform(1, &x, &y));
        at.push_back({x, y});
        placed.push_back(k);
    }
    const std::vector<double> slices = Slices(*tif);
    std::array<double, 6> t{};
    tif->GetGeoTransform(t.data());
    EXPECT_EQ(t[1], 1.0);
    size_t empty = 0, filled = 0;
    for (size_t b = 0; b < slices.size(); b += 3) {
        const Band band = ReadBand(*tif, int(b + 1));
        for (int r = 0; r < band.ny; ++r)
            for (int c = 0; c < band.nx; ++c) {
                const double cx = t[0] + (c + 0.5) * t[1], cy = t[3] + (r + 0.5) * t[5];
                double nearest = 4.0;
                std::optional<size_t> chosen;
                for (size_t n = 0; n < at.size(); ++n) {
                    const double d = (at[n][0] - cx) * (at[n][0] - cx) + (at[n][1] - cy) * (at[n][1] - cy);
                    if (rows[placed[n]].Ok() && d < nearest) {
                        nearest = d;
                        chosen = placed[n];
                    }
                }
                // Positions round-trip through the CSV's eight decimals: skip near ties.
                const std::optional<double> expected = chosen ? rows[*chosen].SigmaAt(slices[b]) : std::optional<double>(NAN);
                ExpectValue(band.At(c, r), band.noData, expected, "cell " + std::to_string(c) + "," + std::to_string(r));
                (band.At(c, r) == band.noData ? empty : filled) += 1;
            }
    }
    EXPECT_GT(empty, 0u);
    EXPECT_GT(filled, 0u);
    Dataset gpkg = Open(dir.File("track.gpkg"), GDAL_OF_VECTOR);
    ASSERT_TRUE(gpkg);
    OGRLayer* layer = gpkg->GetLayer(0);
    std::unique_ptr<OGRFeature> unplaced(layer->GetFeature(8)); // GeoPackage ids count from 1
    ASSERT_TRUE(unplaced);
    EXPECT_EQ(unplaced->GetGeometryRef(), nullptr);
}

TEST_F(LurctlInvertTest, ASessionWithNothingToInvertWritesNothing)
{
    Settings().workType = kWorkMap;
    Settings().xSize = 2;
    Settings().ySize = 1;
    std::vector<MeasurementRecord> records = Modelled(2);
    for (MeasurementRecord& record : records)
        testing_support::PutChannel(record, 0, 8388607, 0, 0, 0);
    SurveyDataSet survey(Settings(), records);
    const std::string session = dir.File("bad.lur");
    ASSERT_TRUE(SaveSession(survey, session).ok);
    const LurctlResult run = Lurctl(config, "invert '" + session + "' --out '" + dir.File("bad.tif") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("could be inverted, so there is nothing to slice"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.tif")));
}

} // namespace
