#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

#include "model/InversionSettings.h"
#include "platform/Registry.h"
#include "settings/CSettings.h"
#include "support/SettingsFixture.h"

using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

const std::string kSection = "software\\Dalmar\\LurControl\\Default values";

// Every persisted value, written out here rather than taken from the code, so that a value
// missing from the store, renamed or given another default fails.
template <class T>
struct Value {
    const char* name;
    T CSettings::*field;
    T byDefault;
};
using IntValue = Value<int32_t>;
using FloatValue = Value<float>;
#define V(name, field, byDefault) {name, &CSettings::field, byDefault}
const IntValue kIntValues[] = {
    V("Work type", workType, 2), V("xSize", xSize, 20), V("ySize", ySize, 10),
    V("Режим трассоискателя включён", tracerModeOn, 0),
    V("Bluetooth virtual inbound COM port number", btInboundPort, 5),
    V("Bluetooth virtual outbound COM port number", btOutboundPort, 8), V("", gpsBaudId, 79),
    V("Normalized to current", normalizeToCurrent, 0), V("Normalized to frequency", normalizeToFrequency, 0),
    V("Phase equalization", phaseEqualization, 0), V("Substract undercompensation", subtractUndercompensation, 0),
    V("Signal channel is current", signalChannelIsCurrent, 0), V("Unit measure", unitMeasure, 0),
    V("Signal component", signalComponent, 1), V("Apparent value (omh or siemen)", apparentValueKind, 0),
    V("Apply signal filter", applySignalFilter, 0),
    V("Minimum number of stations for a profile curve", minStationsProfileCurve, 4),
    V("Minimum number of stations for a profile", minStationsSection, 4),
    V("Minimum number of profiles for an area", minProfilesMap, 3),
    V("Show probe curves", showSoundingCurve, 1), V("Show profile curves", showProfileCurve, 0),
    V("Show profiles", showSection, 1), V("Show areas", showMap, 1), V("Filter profile curve", filterProfileCurve, 0),
    V("Проф. кривая: профиль %u, частота %u", pixelSize, 1),
    V("Manual area color chart ranges", manualMapRange, 0),
    V("Manual profile color chart ranges", manualSectionRange, 0),
    V("Measurement timer mode is on", timerModeOn, 0), V("Measurement timer delay", timerDelayMs, 3500),
    V("Measurement timer count", timerCount, 0), V("Number of measurements to show", pointsToShow, 0),
    V("Minimum number of measurements to show scattered data map", minPointsScatteredMap, 4),
    V("Frequency number for the area graphics", mapFrequencyNumber, 1),
    V("Use real scaling to paint graphics", realScaling, 1), V("Show grid", showGrid, 0),
    V("Show scale marks", showScaleMarks, 1), V("Показывать GPS трек", showGpsTrack, 1),
    V("Radius value used in GPS Track view", gpsTrackRadius, 50), V("GPS gap limit", gpsGapLimitMs, 2000),
    V("Inversion", inversionOn, 0),
};
const FloatValue kFloatValues[] = {
    V("xStep", xStep, 1.0f), V("yStep", yStep, 1.0f),
    V("Frequency power value in frequency-normalized inpase signal", inphasePower, 2.5f),
    V("Frequency power value in frequency-normalized module signal", modulePower, 2.0f),
    V("Frequency power value in frequency-normalized quadrature signal", quadraturePower, 2.0f),
    V("Depth scale factor", depthScaleFactor, 10.0f), V("GPS lag", gpsLagSeconds, 0.0f),
    V("GPS antenna offset", antennaAheadMetres, 0.0f), V("GPS HDOP limit", gpsHdopLimit, 5.0f),
    V("Inversion relative noise, %", inversionNoisePercent, 2.0f),
    V("Inversion noise floor, units", inversionNoiseFloorUnits, 1.0f), V("Instrument height", instrumentHeight, 0.0f),
};
#undef V
const std::pair<const char*, float> kChartLimits[] = {
    {"Area color chart minimum value", -10.0f}, {"Area color chart maximum value", 10.0f},
    {"Profile color chart minimum value", -10.0f}, {"Profile color chart maximum value", 10.0f},
};

// The value names of the settings section in a saved file.
std::set<std::string> StoredNames(const std::string& text)
{
    std::set<std::string> names;
    std::istringstream lines(text);
    bool inSection = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("["))
            inSection = line == "[" + kSection + "]";
        else if (inSection && line.starts_with("@="))
            names.insert("");
        else if (inSection && line.starts_with("\""))
            names.insert(line.substr(1, line.find("\"=") - 1));
    }
    return names;
}

// A calibration set of `serial` dated 1 January `year`, all frequencies 1.
std::string CalibrationIni(int serial, const std::string& year, const std::string& comment)
{
    std::string text = "[LUR " + std::to_string(serial) + "]\nDate=01/01/" + year + "\nComment=" + comment + "\n";
    for (int i = 1; i <= 14; ++i) text += "F" + std::to_string(i) + "=1\n";
    return text;
}

std::string Bytes(const void* value)
{
    return std::string(static_cast<const char*>(value), 4);
}

class SettingsTest : public testing_support::SettingsTest {
protected:
    // Writes a settings file holding what `fill` puts into the section.
    void WriteStore(const std::function<void(platform::Registry&)>& fill)
    {
        platform::Registry r;
        fill(r);
        ASSERT_TRUE(r.SaveFile(dir.File("settings.reg")).ok);
    }
    platform::Registry Stored()
    {
        std::vector<std::string> problems;
        return platform::Registry::LoadFile(dir.File("settings.reg"), problems);
    }
};

TEST_F(SettingsTest, DefaultsAndEveryValueStoredUnderItsNameAndKindAndReadBack)
{
    // Distinct values, so a value read into or written from the wrong field shows.
    auto saved = [](size_t i) { return int32_t(-2000 - int32_t(i)); };
    auto savedFloat = [](size_t i) { return std::nextafter(1.0f + float(i), 100.0f); }; // bits decimal text could lose
    {
        CSettings& s = CSettings::Instance();
        EXPECT_TRUE(s.Problems().empty());
        for (size_t i = 0; i < std::size(kIntValues); ++i) {
            EXPECT_EQ(s.*kIntValues[i].field, kIntValues[i].byDefault) << kIntValues[i].name;
            s.*kIntValues[i].field = saved(i);
        }
        for (size_t i = 0; i < std::size(kFloatValues); ++i) {
            EXPECT_EQ(s.*kFloatValues[i].field, kFloatValues[i].byDefault) << kFloatValues[i].name;
            s.*kFloatValues[i].field = savedFloat(i);
        }
        EXPECT_EQ(s.GpsBaudRate(), 9600);
        EXPECT_EQ(s.filterThreshold, 0.5);
        EXPECT_EQ(s.colourB, 0x000000FFu);
        EXPECT_EQ(s.mapChart.Stops().size(), 15u);
        EXPECT_EQ(s.mapChart.Stops().front(), 0x0000FFu);
        EXPECT_EQ(s.registrySection, "Default values");
        // With no calibration file the built-in set is installed and its key adopted.
        EXPECT_EQ(s.calibrationKey, kBuiltInCalibrationKey);
        EXPECT_EQ(s.currentCalibration.F[13], 250.004);
        s.usedFrequencies = {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0};
        s.mapChart.LoadPreset(1);
        s.mapChart.SetRange(-3.25f, 1e-7f);
        s.sectionChart.RemoveStops(0, 13);
    }
    CSettings::Release();

    const platform::Registry r = Stored();
    std::set<std::string> expected = {"Used frequences", "LUR serial number", "The last calibration data was used",
                                      "Area color chart", "Profile color chart"};
    auto expectStored = [&](const std::string& name, platform::RegistryValue::Kind kind, const std::string& bytes) {
        const platform::RegistryValue* value = r.Find(kSection, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->kind, kind) << name;
        EXPECT_EQ(value->bytes, bytes) << name;
        expected.insert(name);
    };
    for (size_t i = 0; i < std::size(kIntValues); ++i) {
        const int32_t v = saved(i);
        expectStored(kIntValues[i].name, platform::RegistryValue::Kind::Dword, Bytes(&v));
    }
    for (size_t i = 0; i < std::size(kFloatValues); ++i) {
        const float v = savedFloat(i);
        expectStored(kFloatValues[i].name, platform::RegistryValue::Kind::Binary, Bytes(&v));
    }
    for (const auto& [name, limit] : kChartLimits)
        if (!std::string(name).starts_with("Area")) expectStored(name, platform::RegistryValue::Kind::Binary, Bytes(&limit));
    const float mapLimits[] = {-3.25f, 1e-7f};
    expectStored(kChartLimits[0].first, platform::RegistryValue::Kind::Binary, Bytes(&mapLimits[0]));
    expectStored(kChartLimits[1].first, platform::RegistryValue::Kind::Binary, Bytes(&mapLimits[1]));
    expectStored("Used frequences", platform::RegistryValue::Kind::Binary,
                 std::string("\1\0\1\1\0\0\1\0\1\0\1\1\1\0", 14));
    expectStored("LUR serial number", platform::RegistryValue::Kind::Dword, std::string("\x09\0\0\0", 4));
    expectStored("The last calibration data was used", platform::RegistryValue::Kind::Dword, "\x1C\x02\xD7\x07");
    ASSERT_NE(r.Find(kSection, "Area color chart"), nullptr);
    EXPECT_EQ(r.Find(kSection, "Area color chart")->bytes.size(), 60u);
    // Nothing is stored under a name outside the table.
    EXPECT_EQ(StoredNames(ReadFile(dir.File("settings.reg"))), expected);

    CSettings& s = CSettings::Instance();
    EXPECT_TRUE(s.Problems().empty());
    for (size_t i = 0; i < std::size(kIntValues); ++i) EXPECT_EQ(s.*kIntValues[i].field, saved(i)) << kIntValues[i].name;
    for (size_t i = 0; i < std::size(kFloatValues); ++i)
        EXPECT_EQ(s.*kFloatValues[i].field, savedFloat(i)) << kFloatValues[i].name;
    EXPECT_EQ(s.usedFrequencies, (std::array<int32_t, 14>{1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0}));
    EXPECT_EQ(s.mapChart.Stops().front(), 0x800000u);
    EXPECT_EQ(s.mapChart.GetRange(), std::make_pair(-3.25f, 1e-7f));
    EXPECT_EQ(s.sectionChart.Stops(), (std::vector<Colour>{0xDB2500, 0xFF0000}));
}

TEST_F(SettingsTest, ChartRangesAreTakenOnlyWhenMinimumIsBelowMaximum)
{
    const float five = 5.0f, three = 3.0f;
    WriteStore([&](platform::Registry& r) {
        r.SetBinary(kSection, "Area color chart minimum value", Bytes(&five));
        r.SetBinary(kSection, "Area color chart maximum value", Bytes(&five));
        r.SetBinary(kSection, "Profile color chart maximum value", Bytes(&three));
        r.SetBinary(kSection, "Profile color chart", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 10));
    });
    {
        CSettings& s = CSettings::Instance();
        EXPECT_EQ(s.mapChart.GetRange(), std::make_pair(-10.0f, 10.0f));
        // A missing profile minimum reads as 1.0, below the stored 3.0.
        EXPECT_EQ(s.sectionChart.GetRange(), std::make_pair(1.0f, 3.0f));
        EXPECT_EQ(s.sectionChart.Stops(), (std::vector<Colour>{0x04030201, 0x08070605, 0x00000A09}));
    }
}

TEST_F(SettingsTest, SerialIsReducedTo16BitsAndFlagsToZeroOrOne)
{
    WriteStore([&](platform::Registry& r) {
        r.SetDword(kSection, "LUR serial number", 65536 + 17);
        r.SetDword(kSection, "The last calibration data was used", (2008u << 16) | (6u << 8) | 10u);
        r.SetBinary(kSection, "Used frequences", std::string("\0\0\0\7\0\0\0\0\0\0\0\0\0\0", 14));
    });
    WriteFile(dir.File("LurCalibration.ini"), CalibrationIni(17, "2007", "a") + CalibrationIni(17, "2008", "b"));
    {
        CSettings& s = CSettings::Instance();
        // The last earlier set is the one installed.
        EXPECT_EQ(s.calibrationKey, (CalibrationKey{17, 2008, 1, 1}));
        EXPECT_EQ(s.currentCalibration.comment, "b");
        EXPECT_EQ(s.usedFrequencies[3], 1);
        EXPECT_EQ(s.usedFrequencies[2], 0);
    }
    CSettings::Release();
    const platform::Registry r = Stored();
    EXPECT_EQ(r.Find(kSection, "Used frequences")->bytes[3], '\x01');
    EXPECT_EQ(r.Find(kSection, "LUR serial number")->bytes, std::string("\x11\0\0\0", 4));
}

TEST_F(SettingsTest, UnreadableValuesKeepDefaultsAreReportedAndTheFileIsBackedUp)
{
    const std::string text = "[software\\Dalmar\\LurControl\\Default values]\n"
                             "\"xSize\"=dword:0000002a\n"
                             "\"ySize\"=hex:01,02\n"
                             "\"xStep\"=hex:00,00\n"
                             "\"Used frequences\"=hex:01,01\n"
                             "\"Area color chart\"=hex:\n"
                             "this is not a settings line\n"
                             "\"Work type\"=dword:zz\n";
    WriteFile(dir.File("settings.reg"), text);
    {
        CSettings& s = CSettings::Instance();
        EXPECT_EQ(s.xSize, 42);
        EXPECT_EQ(s.ySize, 10);
        EXPECT_EQ(s.xStep, 1.0f);
        EXPECT_EQ(s.workType, 2);
        EXPECT_EQ(s.usedFrequencies[5], 1);
        EXPECT_EQ(s.mapChart.Stops().size(), 15u);
        EXPECT_EQ(s.Problems().size(), 6u);
    }
    CSettings::Release();
    EXPECT_EQ(ReadFile(dir.File("settings.reg.bak")), text);
}

TEST_F(SettingsTest, BaudRateTableAndItsEdges)
{
    CSettings& s = CSettings::Instance();
    for (auto [id, rate] : {std::pair{73, 110}, {78, 4800}, {87, 256000}, {72, 9600}, {88, 9600}}) {
        s.gpsBaudId = id;
        EXPECT_EQ(s.GpsBaudRate(), rate) << id;
    }
}

// The inversion the settings ask for stays within its ranges whatever the file held.
TEST_F(SettingsTest, InversionOptionsAreKeptWithinTheirRanges)
{
    struct Case {
        float percent, floor, height;
        double relative, units, metres;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {2, 1, 0, 0.02, 1, 0},           {nan, nan, nan, 0.02, 1, 0},     {-5, -1, -3, 0, 1, 0},
        {250, 5e7f, 40, 1, 1e6, 10},     {0, 0, 0.5f, 0, 1, 0.5},         {0, 3, 1, 0, 3, 1},
        {INFINITY, 2, -INFINITY, 1, 2, 0},
    };
    CSettings& s = CSettings::Instance();
    for (const Case& c : cases) {
        s.inversionNoisePercent = c.percent;
        s.inversionNoiseFloorUnits = c.floor;
        s.instrumentHeight = c.height;
        const InversionOptions o = InversionOptionsFrom(s);
        EXPECT_DOUBLE_EQ(o.noise.relative, c.relative) << c.percent;
        EXPECT_DOUBLE_EQ(o.noise.floorUnits, c.units) << c.floor;
        EXPECT_DOUBLE_EQ(o.height, c.metres) << c.height;
    }
}

} // namespace
