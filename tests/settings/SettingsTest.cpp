#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

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
const IntValue kIntValues[] = {
    {"Work type", &CSettings::workType, 2},
    {"xSize", &CSettings::xSize, 20},
    {"ySize", &CSettings::ySize, 10},
    {"Режим трассоискателя включён", &CSettings::tracerModeOn, 0},
    {"Bluetooth virtual inbound COM port number", &CSettings::btInboundPort, 5},
    {"Bluetooth virtual outbound COM port number", &CSettings::btOutboundPort, 8},
    {"", &CSettings::gpsBaudId, 79},
    {"Normalized to current", &CSettings::normalizeToCurrent, 0},
    {"Normalized to frequency", &CSettings::normalizeToFrequency, 0},
    {"Phase equalization", &CSettings::phaseEqualization, 0},
    {"Substract undercompensation", &CSettings::subtractUndercompensation, 0},
    {"Signal channel is current", &CSettings::signalChannelIsCurrent, 0},
    {"Unit measure", &CSettings::unitMeasure, 0},
    {"Signal component", &CSettings::signalComponent, 1},
    {"Apparent value (omh or siemen)", &CSettings::apparentValueKind, 0},
    {"Apply signal filter", &CSettings::applySignalFilter, 0},
    {"Minimum number of stations for a profile curve", &CSettings::minStationsProfileCurve, 4},
    {"Minimum number of stations for a profile", &CSettings::minStationsSection, 4},
    {"Minimum number of profiles for an area", &CSettings::minProfilesMap, 3},
    {"Show probe curves", &CSettings::showSoundingCurve, 1},
    {"Show profile curves", &CSettings::showProfileCurve, 0},
    {"Show profiles", &CSettings::showSection, 1},
    {"Show areas", &CSettings::showMap, 1},
    {"Filter profile curve", &CSettings::filterProfileCurve, 0},
    {"Проф. кривая: профиль %u, частота %u", &CSettings::pixelSize, 1},
    {"Manual area color chart ranges", &CSettings::manualMapRange, 0},
    {"Manual profile color chart ranges", &CSettings::manualSectionRange, 0},
    {"Measurement timer mode is on", &CSettings::timerModeOn, 0},
    {"Measurement timer delay", &CSettings::timerDelayMs, 3500},
    {"Measurement timer count", &CSettings::timerCount, 0},
    {"Number of measurements to show", &CSettings::pointsToShow, 0},
    {"Minimum number of measurements to show scattered data map", &CSettings::minPointsScatteredMap, 4},
    {"Frequency number for the area graphics", &CSettings::mapFrequencyNumber, 1},
    {"Use real scaling to paint graphics", &CSettings::realScaling, 1},
    {"Show grid", &CSettings::showGrid, 0},
    {"Show scale marks", &CSettings::showScaleMarks, 1},
    {"Показывать GPS трек", &CSettings::showGpsTrack, 1},
    {"Radius value used in GPS Track view", &CSettings::gpsTrackRadius, 50},
};
const FloatValue kFloatValues[] = {
    {"xStep", &CSettings::xStep, 1.0f},
    {"yStep", &CSettings::yStep, 1.0f},
    {"Frequency power value in frequency-normalized inpase signal", &CSettings::inphasePower, 2.5f},
    {"Frequency power value in frequency-normalized module signal", &CSettings::modulePower, 2.0f},
    {"Frequency power value in frequency-normalized quadrature signal", &CSettings::quadraturePower, 2.0f},
    {"Depth scale factor", &CSettings::depthScaleFactor, 10.0f},
};
const std::pair<const char*, float> kChartLimits[] = {
    {"Area color chart minimum value", -10.0f},
    {"Area color chart maximum value", 10.0f},
    {"Profile color chart minimum value", -10.0f},
    {"Profile color chart maximum value", 10.0f},
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

std::string DwordBytes(int32_t value)
{
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(uint32_t(value) >> (8 * i));
    return b;
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
    static std::string FloatBytes(float f)
    {
        char b[4];
        std::memcpy(b, &f, 4);
        return std::string(b, 4);
    }
    static void ExpectStored(const platform::Registry& r, const std::string& name, platform::RegistryValue::Kind kind,
                             const std::string& bytes)
    {
        const platform::RegistryValue* value = r.Find(kSection, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value->kind, kind) << name;
        EXPECT_EQ(value->bytes, bytes) << name;
    }
    platform::Registry Stored()
    {
        std::vector<std::string> problems;
        return platform::Registry::LoadFile(dir.File("settings.reg"), problems);
    }
};

TEST_F(SettingsTest, DefaultsAreStoredUnderTheirNamesAndKinds)
{
    {
        CSettings& s = CSettings::Instance();
        EXPECT_TRUE(s.Problems().empty());
        for (const IntValue& v : kIntValues)
            EXPECT_EQ(s.*v.field, v.byDefault) << v.name;
        for (const FloatValue& v : kFloatValues)
            EXPECT_EQ(s.*v.field, v.byDefault) << v.name;
        for (int32_t used : s.usedFrequencies)
            EXPECT_EQ(used, 1);
        EXPECT_EQ(s.GpsBaudRate(), 9600);
        EXPECT_EQ(s.filterThreshold, 0.5);
        EXPECT_EQ(s.colourB, 0x000000FFu);
        EXPECT_EQ(s.mapChart.Stops().size(), 15u);
        EXPECT_EQ(s.mapChart.Stops().front(), 0x0000FFu);
        EXPECT_EQ(s.sectionChart.GetRange(), std::make_pair(-10.0f, 10.0f));
        EXPECT_EQ(s.registrySection, "Default values");
        // With no calibration file the built-in set is installed and its key adopted.
        EXPECT_EQ(s.calibrationKey, kBuiltInCalibrationKey);
        EXPECT_EQ(s.currentCalibration.F[13], 250.004);
    }
    CSettings::Release();

    const platform::Registry r = Stored();
    std::set<std::string> expected = {"Used frequences", "LUR serial number", "The last calibration data was used",
                                      "Area color chart", "Profile color chart"};
    for (const IntValue& v : kIntValues) {
        ExpectStored(r, v.name, platform::RegistryValue::Kind::Dword, DwordBytes(v.byDefault));
        expected.insert(v.name);
    }
    for (const FloatValue& v : kFloatValues) {
        ExpectStored(r, v.name, platform::RegistryValue::Kind::Binary, FloatBytes(v.byDefault));
        expected.insert(v.name);
    }
    for (const auto& [name, limit] : kChartLimits) {
        ExpectStored(r, name, platform::RegistryValue::Kind::Binary, FloatBytes(limit));
        expected.insert(name);
    }
    ExpectStored(r, "Used frequences", platform::RegistryValue::Kind::Binary, std::string(14, '\x01'));
    ExpectStored(r, "LUR serial number", platform::RegistryValue::Kind::Dword, DwordBytes(9));
    ExpectStored(r, "The last calibration data was used", platform::RegistryValue::Kind::Dword,
                 DwordBytes(0x07D7021C));
    for (const char* chart : {"Area color chart", "Profile color chart"}) {
        ASSERT_NE(r.Find(kSection, chart), nullptr) << chart;
        EXPECT_EQ(r.Find(kSection, chart)->bytes.size(), 60u) << chart;
    }
    // Nothing is stored under a name outside the table.
    EXPECT_EQ(StoredNames(ReadFile(dir.File("settings.reg"))), expected);
}

TEST_F(SettingsTest, EveryValueIsReadAndWrittenUnderItsName)
{
    // Distinct values, so a value read into or written from the wrong field shows.
    auto loaded = [](size_t i) { return int32_t(1000 + i); };
    auto saved = [](size_t i) { return int32_t(-2000 - int32_t(i)); };
    auto loadedFloat = [](size_t i) { return -0.1f * std::pow(3.3f, float(i)); };
    auto savedFloat = [](size_t i) { return std::nextafter(1.0f + float(i), 100.0f); }; // bits decimal text could lose
    WriteStore([&](platform::Registry& r) {
        for (size_t i = 0; i < std::size(kIntValues); ++i)
            r.SetDword(kSection, kIntValues[i].name, uint32_t(loaded(i)));
        for (size_t i = 0; i < std::size(kFloatValues); ++i)
            r.SetBinary(kSection, kFloatValues[i].name, FloatBytes(loadedFloat(i)));
    });
    {
        CSettings& s = CSettings::Instance();
        EXPECT_TRUE(s.Problems().empty());
        for (size_t i = 0; i < std::size(kIntValues); ++i) {
            EXPECT_EQ(s.*kIntValues[i].field, loaded(i)) << kIntValues[i].name;
            s.*kIntValues[i].field = saved(i);
        }
        for (size_t i = 0; i < std::size(kFloatValues); ++i) {
            EXPECT_EQ(FloatBytes(s.*kFloatValues[i].field), FloatBytes(loadedFloat(i))) << kFloatValues[i].name;
            s.*kFloatValues[i].field = savedFloat(i);
        }
        s.usedFrequencies = {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0};
        s.mapChart.LoadPreset(1);
        s.mapChart.SetRange(-3.25f, 1e-7f);
        s.sectionChart.RemoveStops(0, 13);
        s.sectionChart.SetRange(100.0f, 200.5f);
        s.calibrationKey = {1234, 2021, 12, 31};
    }
    CSettings::Release();

    const platform::Registry r = Stored();
    for (size_t i = 0; i < std::size(kIntValues); ++i)
        ExpectStored(r, kIntValues[i].name, platform::RegistryValue::Kind::Dword, DwordBytes(saved(i)));
    for (size_t i = 0; i < std::size(kFloatValues); ++i)
        ExpectStored(r, kFloatValues[i].name, platform::RegistryValue::Kind::Binary, FloatBytes(savedFloat(i)));

    CSettings& s = CSettings::Instance();
    EXPECT_TRUE(s.Problems().empty());
    EXPECT_EQ(s.usedFrequencies, (std::array<int32_t, 14>{1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 0}));
    EXPECT_EQ(s.mapChart.Stops().front(), 0x800000u);
    EXPECT_EQ(s.mapChart.GetRange(), std::make_pair(-3.25f, 1e-7f));
    EXPECT_EQ(s.sectionChart.Stops(), (std::vector<Colour>{0xDB2500, 0xFF0000}));
    EXPECT_EQ(s.sectionChart.GetRange(), std::make_pair(100.0f, 200.5f));
    // The store has no set of serial 1234, so the built-in one is installed again.
    EXPECT_EQ(s.calibrationKey, kBuiltInCalibrationKey);
}

TEST_F(SettingsTest, ChartRangesAreTakenOnlyWhenMinimumIsBelowMaximum)
{
    WriteStore([&](platform::Registry& r) {
        r.SetBinary(kSection, "Area color chart minimum value", FloatBytes(5.0f));
        r.SetBinary(kSection, "Area color chart maximum value", FloatBytes(5.0f));
        r.SetBinary(kSection, "Profile color chart maximum value", FloatBytes(3.0f));
        r.SetBinary(kSection, "Profile color chart", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 10));
    });
    {
        CSettings& s = CSettings::Instance();
        EXPECT_EQ(s.mapChart.GetRange(), std::make_pair(-10.0f, 10.0f));
        // A missing profile minimum reads as 1.0, below the stored 3.0.
        EXPECT_EQ(s.sectionChart.GetRange(), std::make_pair(1.0f, 3.0f));
        EXPECT_EQ(s.sectionChart.Stops(), (std::vector<Colour>{0x04030201, 0x08070605, 0x00000A09}));
    }
    CSettings::Release();
    WriteStore([&](platform::Registry& r) {
        r.SetBinary(kSection, "Area color chart minimum value", FloatBytes(7.0f));
        r.SetBinary(kSection, "Area color chart maximum value", FloatBytes(3.0f));
    });
    CSettings& s = CSettings::Instance();
    EXPECT_EQ(s.mapChart.GetRange(), std::make_pair(-10.0f, 10.0f));
    EXPECT_EQ(s.sectionChart.GetRange(), std::make_pair(-10.0f, 10.0f)); // (1.0, 0.0) refused
}

TEST_F(SettingsTest, SerialIsReducedTo16BitsAndFlagsToZeroOrOne)
{
    WriteStore([&](platform::Registry& r) {
        r.SetDword(kSection, "LUR serial number", 65536 + 17);
        r.SetDword(kSection, "The last calibration data was used", (2008u << 16) | (6u << 8) | 10u);
        std::string flags(14, '\0');
        flags[3] = 7;
        r.SetBinary(kSection, "Used frequences", flags);
    });
    WriteFile(dir.File("LurCalibration.ini"), "[LUR 17]\nDate=01/01/2008\nF1=1\nF2=1\nF3=1\nF4=1\nF5=1\nF6=1\nF7=1\n"
                                              "F8=1\nF9=1\nF10=1\nF11=1\nF12=1\nF13=1\nF14=1\n");
    {
        CSettings& s = CSettings::Instance();
        EXPECT_EQ(s.calibrationKey, (CalibrationKey{17, 2008, 1, 1}));
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
    std::vector<std::string> problems;
    platform::Registry::LoadFile(dir.File("settings.reg"), problems);
    EXPECT_TRUE(problems.empty());
}

TEST_F(SettingsTest, TruncatedFileFallsBackToDefaultsForWhatIsMissing)
{
    CSettings::Instance().timerCount = 9;
    CSettings::Release();
    const std::string full = ReadFile(dir.File("settings.reg"));
    for (size_t cut : {size_t(0), size_t(10), full.size() / 2, full.size() - 3}) {
        WriteFile(dir.File("settings.reg"), full.substr(0, cut));
        CSettings& s = CSettings::Instance();
        EXPECT_EQ(s.registrySection, "Default values");
        EXPECT_GE(s.mapChart.Stops().size(), 1u) << cut;
        CSettings::Release();
    }
}

TEST_F(SettingsTest, BaudRateTable)
{
    CSettings& s = CSettings::Instance();
    const std::pair<int32_t, int32_t> table[] = {{73, 110}, {78, 4800}, {79, 9600}, {85, 115200},
                                                 {87, 256000}, {72, 9600}, {88, 9600}, {-1, 9600}};
    for (auto [id, rate] : table) {
        s.gpsBaudId = id;
        EXPECT_EQ(s.GpsBaudRate(), rate) << id;
    }
}

// The store tests the fallback rules; here the set fallen back to must be installed.
TEST_F(SettingsTest, InstallSetInstallsTheSetItFallsBackTo)
{
    WriteFile(dir.File("LurCalibration.ini"),
              "[LUR 5]\nDate=01/01/2007\nComment=a\nF1=1\nF2=1\nF3=1\nF4=1\nF5=1\nF6=1\nF7=1\nF8=1\nF9=1\nF10=1\nF11=1\nF12=1\nF13=1\nF14=1\n"
              "[LUR 5]\nDate=01/01/2009\nComment=b\nF1=1\nF2=1\nF3=1\nF4=1\nF5=1\nF6=1\nF7=1\nF8=1\nF9=1\nF10=1\nF11=1\nF12=1\nF13=1\nF14=1\n");
    CSettings& s = CSettings::Instance();
    s.InstallSet({5, 2008, 6, 10});
    EXPECT_EQ(s.calibrationKey, (CalibrationKey{5, 2007, 1, 1}));
    EXPECT_EQ(s.currentCalibration.comment, "a");
    s.InstallSet({5, 2010, 1, 1});
    EXPECT_EQ(s.calibrationKey, (CalibrationKey{5, 2009, 1, 1}));
    EXPECT_EQ(s.currentCalibration.comment, "b");
}

} // namespace
