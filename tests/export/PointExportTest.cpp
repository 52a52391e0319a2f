#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "ExportFixture.h"

namespace {

struct PointCase {
    ExportFormat format;
    const char* file;
};

// The OGR field carrying `name`: GPX prefixes extension fields, shapefiles cut names at 10.
int FieldIndex(OGRFeatureDefn* definition, const std::string& name)
{
    for (int f = 0; f < definition->GetFieldCount(); ++f) {
        const std::string field = definition->GetFieldDefn(f)->GetNameRef();
        if (field == name || field == "ogr_" + name || (field.size() == 10 && name.rfind(field, 0) == 0))
            return f;
    }
    return -1;
}

class PointExport : public ExportTest, public testing::WithParamInterface<PointCase> {};

} // namespace

TEST_P(PointExport, ReadsBackEveryPositionedReadingWithItsValues)
{
    auto data = testing_support::GroundTrack(Settings(), 120);
    Settings().usedFrequencies[3] = 0;
    const std::string path = dir.File(GetParam().file);
    const ExportResult result = ExportSession(*data, Settings(), Options(GetParam().format), path);
    ASSERT_TRUE(result.ok) << result.error;

    Dataset dataset = Open(path, GDAL_OF_VECTOR);
    ASSERT_TRUE(dataset);
    OGRLayer* layer = GetParam().format == ExportFormat::Gpx ? dataset->GetLayerByName("track_points")
                                                              : dataset->GetLayer(0);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->GetFeatureCount(), 120);
    OGRFeatureDefn* definition = layer->GetLayerDefn();
    const int reading = FieldIndex(definition, "reading");
    ASSERT_GE(reading, 0);
    EXPECT_EQ(FieldIndex(definition, "f5_103kHz"), -1) << "an unused frequency is not exported";
    std::set<int> seen;
    for (auto& feature : *layer) {
        const int k = feature->GetFieldAsInteger(reading);
        ASSERT_TRUE(k >= 0 && k < 120);
        seen.insert(k);
        const auto* point = dynamic_cast<const OGRPoint*>(feature->GetGeometryRef());
        ASSERT_NE(point, nullptr);
        EXPECT_NEAR(point->getX(), data->FixAt(size_t(k)).longitude, 1e-7);
        EXPECT_NEAR(point->getY(), data->FixAt(size_t(k)).latitude, 1e-7);
        EXPECT_EQ(feature->GetFieldAsInteger64(FieldIndex(definition, "time_ms")), data->Record(size_t(k)).TimeStamp());
        EXPECT_EQ(feature->GetFieldAsInteger(FieldIndex(definition, "serial")), 9);
        for (int i : {0, 7, 13}) {
            char name[32];
            std::snprintf(name, sizeof name, "f%.6gkHz", Settings().currentCalibration.F[size_t(i)]);
            std::replace(std::begin(name), std::end(name), '.', '_');
            const int field = FieldIndex(definition, name);
            ASSERT_GE(field, 0) << name;
            EXPECT_EQ(static_cast<float>(feature->GetFieldAsDouble(field)), Value(data->Record(size_t(k)), i)) << name;
        }
    }
    EXPECT_EQ(seen.size(), 120u);
}

// Each point says what the receiver told of its position and whether it was placed well, at
// the position corrected for the lag and antenna offset the options give, else the settings'.
TEST_P(PointExport, CarriesEachPositionsQualityAtItsCorrectedPlace)
{
    const GpsFixQuality kinds[3] = {{}, {4, 3, 14, 0.8, 350, true}, {1, 3, 6, 2.5, 1200, false}};
    SessionImage image;
    image.track = true;
    // A reading a second, walking east at 1 m/s; the first before any fix.
    for (uint32_t k = 0; k < 12; ++k) {
        image.records.push_back(testing_support::GroundRecord(k, 0, 5000 + 1000 * k));
        image.fixes.push_back(k == 0 ? GpsFix{} : GpsFix{55.0, 37.0 + k / 63800.0, 0, kinds[k % 3]});
    }
    auto data = TrackDataSet::LoadTrackBody(image, Settings());
    Settings().gpsLagSeconds = 3.0f;
    Settings().antennaAheadMetres = 0.5f;
    ExportOptions options = Options(GetParam().format);
    options.leftOut = LeftOutReadings::Skip;
    options.correction.lagSeconds = 2.0;
    const std::string path = dir.File(GetParam().file);
    const ExportResult result = ExportSession(*data, Settings(), options, path);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(ProvenanceValue(result, "gps_lag_s"), "2");
    EXPECT_EQ(ProvenanceValue(result, "antenna_ahead_m"), "0.5");
    const std::vector<CorrectedPosition> expected = data->CorrectedPositions({2.0, 0.5});

    Dataset dataset = Open(path, GDAL_OF_VECTOR);
    ASSERT_TRUE(dataset);
    OGRLayer* layer = GetParam().format == ExportFormat::Gpx ? dataset->GetLayerByName("track_points")
                                                              : dataset->GetLayer(0);
    ASSERT_NE(layer, nullptr);
    OGRFeatureDefn* definition = layer->GetLayerDefn();
    const int quality = FieldIndex(definition, "fix_quality"), hdop = FieldIndex(definition, "hdop"),
              satellites = FieldIndex(definition, "satellites"), age = FieldIndex(definition, "fix_age_s"),
              placed = FieldIndex(definition, "placed_ok");
    ASSERT_TRUE(quality >= 0 && hdop >= 0 && satellites >= 0 && age >= 0 && placed >= 0);
    int placedWell = 0, placedPoorly = 0, features = 0;
    for (auto& feature : *layer) {
        const size_t k = size_t(feature->GetFieldAsInteger(FieldIndex(definition, "reading")));
        SCOPED_TRACE(k);
        ++features;
        const auto* point = dynamic_cast<const OGRPoint*>(feature->GetGeometryRef());
        ASSERT_NE(point, nullptr);
        EXPECT_NEAR(point->getX(), expected[k].longitude, 1e-7);
        EXPECT_NEAR(point->getY(), expected[k].latitude, 1e-7);
        const GpsFixQuality& q = kinds[k % 3];
        if (k % 3 == 0) { // a session saved without qualities: nothing is claimed
            for (int field : {quality, hdop, satellites, age})
                EXPECT_FALSE(feature->IsFieldSetAndNotNull(field)) << definition->GetFieldDefn(field)->GetNameRef();
        } else {
            EXPECT_EQ(feature->GetFieldAsInteger(quality), q.ggaQuality);
            EXPECT_DOUBLE_EQ(feature->GetFieldAsDouble(hdop), q.hdop);
            EXPECT_EQ(feature->GetFieldAsInteger(satellites), q.satellitesUsed);
            EXPECT_DOUBLE_EQ(feature->GetFieldAsDouble(age), q.ageMs / 1000.0);
        }
        // Past the last reading less the lag there is nothing to correct with.
        const bool well = q.placedOk && expected[k].lagCovered && expected[k].headingFound;
        EXPECT_EQ(feature->GetFieldAsInteger(placed), well ? 1 : 0);
        (well ? placedWell : placedPoorly)++;
    }
    EXPECT_EQ(features, 11);
    EXPECT_GT(placedWell, 0);
    EXPECT_GT(placedPoorly, 3);
    EXPECT_FALSE(expected[11].lagCovered);
    EXPECT_NE(ProvenanceValue(result, "poorly_placed").find("11"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, PointExport,
                         testing::Values(PointCase{ExportFormat::GeoPackage, "t.gpkg"},
                                         PointCase{ExportFormat::GeoJson, "t.geojson"},
                                         PointCase{ExportFormat::Kml, "t.kml"}, PointCase{ExportFormat::Gpx, "t.gpx"},
                                         PointCase{ExportFormat::Shapefile, "t.shp"},
                                         PointCase{ExportFormat::CsvWkt, "t.csv"}));

TEST_F(ExportTest, KmlPlacemarksTakeTheMapChartColourOfTheirValue)
{
    auto data = testing_support::GroundTrack(Settings(), 60);
    Settings().mapFrequencyNumber = 8;
    ASSERT_TRUE(ExportSession(*data, Settings(), Options(ExportFormat::Kml), dir.File("t.kml")).ok);
    float low = Value(data->Record(0), 7), high = low;
    for (size_t k = 0; k < 60; ++k) {
        low = std::min(low, Value(data->Record(k), 7));
        high = std::max(high, Value(data->Record(k), 7));
    }
    ColorChart chart = Settings().mapChart;
    ASSERT_TRUE(chart.SetRange(low, high));
    Dataset dataset = Open(dir.File("t.kml"), GDAL_OF_VECTOR);
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    std::set<std::string> colours;
    for (auto& feature : *layer) {
        const Colour c = chart.ColorAt(Value(data->Record(size_t(feature->GetFieldAsInteger("reading"))), 7));
        char expected[16];
        std::snprintf(expected, sizeof expected, "c:#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        ASSERT_NE(feature->GetStyleString(), nullptr);
        EXPECT_NE(std::string(feature->GetStyleString()).find(expected), std::string::npos)
            << feature->GetStyleString() << " lacks " << expected;
        colours.insert(expected);
    }
    EXPECT_GT(colours.size(), 3u) << "the placemarks should spread over the chart";
}

// A reading without a position, or without an exported frequency, is never left out
// silently: refused by default (nothing written), left out when asked and counted, or kept
// without a geometry where the format allows it.
TEST_F(ExportTest, ReadingsThatCannotBeExportedAreRefusedSkippedOrKept)
{
    std::vector<GpsFix> fixes(8);
    for (uint32_t k = 1; k < 8; k += 2)
        fixes[k] = GpsFix{55.0 + k * 1e-5, 37.0 + k * 1e-5, 0};
    fixes[6] = GpsFix{55.0001, 37.0002, 0};
    auto data = Track(fixes);
    // Reading 6 lost its first frequency.
    MeasurementRecord partial = data->Record(6);
    partial.bytes[168] &= 0xFE;
    ASSERT_TRUE(data->StoreRecord(6, partial));
    struct Case {
        ExportFormat format;
        LeftOutReadings leftOut;
        const char* file;
        int features;  // -1: refused
        int withoutGeometry;
        const char* error; // of a refusal, when checked
    };
    const Case cases[] = {
        {ExportFormat::GeoPackage, LeftOutReadings::Refuse, "r.gpkg", -1, 0,
         "3 readings without a position (0, 2, 4) and 1 reading without the exported frequencies (6): nothing written"},
        {ExportFormat::GeoJson, LeftOutReadings::Refuse, "r.geojson", -1, 0, nullptr},
        {ExportFormat::GeoTiff, LeftOutReadings::Refuse, "r.tif", -1, 0, nullptr},
        {ExportFormat::GeoJson, LeftOutReadings::Skip, "s.geojson", 4, 0, nullptr},
        {ExportFormat::GeoPackage, LeftOutReadings::KeepUnlocated, "k.gpkg", 7, 3, nullptr},
        {ExportFormat::CsvWkt, LeftOutReadings::KeepUnlocated, "k.csv", 7, 3, nullptr},
        {ExportFormat::Kml, LeftOutReadings::KeepUnlocated, "k.kml", -1, 0,
         "only GeoPackage and CSV keep readings without a position"},
    };
    for (const Case& c : cases) {
        ExportOptions options = Options(c.format);
        options.leftOut = c.leftOut;
        const ExportResult result = ExportSession(*data, Settings(), options, dir.File(c.file));
        EXPECT_FALSE(std::filesystem::exists(dir.File(c.file)) != (c.features >= 0)) << c.file;
        if (c.features < 0) {
            EXPECT_FALSE(result.ok) << c.file;
            if (c.error) {
                EXPECT_EQ(result.error, c.error);
            }
            continue;
        }
        ASSERT_TRUE(result.ok) << c.file << ": " << result.error;
        EXPECT_EQ(result.leftOut.unpositioned, (std::vector<size_t>{0, 2, 4})) << c.file;
        EXPECT_EQ(result.leftOut.withoutFrequency, (std::vector<size_t>{6})) << c.file;
        EXPECT_EQ(result.readings, size_t(c.features));
        Dataset dataset = Open(dir.File(c.file), GDAL_OF_VECTOR);
        ASSERT_TRUE(dataset) << c.file;
        OGRLayer* layer = dataset->GetLayer(0);
        EXPECT_EQ(layer->GetFeatureCount(), c.features) << c.file;
        int withoutGeometry = 0;
        for (auto& feature : *layer)
            withoutGeometry += feature->GetGeometryRef() == nullptr || feature->GetGeometryRef()->IsEmpty() ? 1 : 0;
        EXPECT_EQ(withoutGeometry, c.withoutGeometry) << c.file;
    }
}
