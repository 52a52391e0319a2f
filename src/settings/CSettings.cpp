#include "settings/CSettings.h"

#include <cstring>

#include "platform/ConfigDirectory.h"

namespace {

SettingsEnvironment& Environment()
{
    static SettingsEnvironment environment;
    return environment;
}

std::unique_ptr<CSettings>& Slot()
{
    static std::unique_ptr<CSettings> instance;
    return instance;
}

std::string OrDefault(const std::string& path, const char* name)
{
    return path.empty() ? platform::JoinPath(platform::ConfigDirectory(), name) : path;
}

constexpr const char* kUsedFrequencies = "Used frequences";
constexpr const char* kCalibrationDate = "The last calibration data was used";
constexpr const char* kCalibrationSerial = "LUR serial number";
constexpr const char* kMapChart = "Area color chart";
constexpr const char* kMapChartMin = "Area color chart minimum value";
constexpr const char* kMapChartMax = "Area color chart maximum value";
constexpr const char* kSectionChart = "Profile color chart";
constexpr const char* kSectionChartMin = "Profile color chart minimum value";
constexpr const char* kSectionChartMax = "Profile color chart maximum value";

constexpr int32_t kBaudRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                  19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr int32_t kFirstBaudId = 73;

std::string Quoted(const char* name)
{
    return *name ? std::string("\"") + name + "\"" : std::string("the unnamed value");
}

} // namespace

void CSettings::SetEnvironment(SettingsEnvironment environment)
{
    Environment() = std::move(environment);
}

CSettings& CSettings::Instance()
{
    auto& slot = Slot();
    if (!slot) {
        slot.reset(new CSettings(Environment()));
        slot->registrySection = kDefaultSection;
        slot->SetDefaults();
        slot->Load();
        slot->keepBackup_ = !slot->problems_.empty();
    }
    return *slot;
}

platform::FileResult CSettings::Release()
{
    auto& slot = Slot();
    platform::FileResult saved{true, {}};
    if (slot) {
        slot->Save();
        saved = slot->lastSave_;
        slot.reset();
    }
    return saved;
}

CSettings::CSettings(const SettingsEnvironment& environment)
    : calibrations(OrDefault(environment.calibrationFile, CalibrationStore::kDefaultFileName),
                   environment.overwriteQuestion),
      settingsFile_(OrDefault(environment.settingsFile, "settings.reg"))
{
    registry_ = platform::Registry::LoadFile(settingsFile_, problems_);
}

std::string CSettings::SectionKey() const
{
    return std::string(kRegistryKey) + "\\" + registrySection;
}

void CSettings::SetDefaults()
{
    workType = kWorkMap;
    xSize = 20;
    ySize = 10;
    xStep = 1.0f;
    yStep = 1.0f;
    usedFrequencies.fill(1);
    tracerModeOn = 0;
    sessionExtra1 = 0;
    sessionExtra2 = 0;
    btInboundPort = 5;
    btOutboundPort = 8;
    gpsBaudId = 79;
    normalizeToCurrent = 0;
    normalizeToFrequency = 0;
    phaseEqualization = 0;
    subtractUndercompensation = 0;
    signalChannelIsCurrent = 0;
    unitMeasure = 0;
    signalComponent = 1;
    apparentValueKind = 0;
    inphasePower = 2.5f;
    modulePower = 2.0f;
    quadraturePower = 2.0f;
    applySignalFilter = 0;
    filterThreshold = 0.5;
    depthScaleFactor = 10.0f;
    minStationsProfileCurve = 4;
    minStationsSection = 4;
    minProfilesMap = 3;
    showSoundingCurve = 1;
    showProfileCurve = 0;
    showSection = 1;
    showMap = 1;
    filterProfileCurve = 0;
    pixelSize = 1;
    manualMapRange = 0;
    manualSectionRange = 0;
    timerModeOn = 0;
    timerDelayMs = 3500;
    timerCount = 0;
    pointsToShow = 0;
    mapChart.LoadPreset(0);
    sectionChart.LoadPreset(0);
    minPointsScatteredMap = 4;
    mapFrequencyNumber = 1;
    realScaling = 1;
    showGrid = 0;
    showScaleMarks = 1;
    showGpsTrack = 1;
    gpsTrackRadius = 50;
    gpsLagSeconds = 0;
    antennaAheadMetres = 0;
    gpsGapLimitMs = 2000;
    gpsHdopLimit = 5;
    inversionOn = 0;
    inversionNoisePercent = 2;
    inversionNoiseFloorUnits = 1;
    instrumentHeight = 0;
    colourA = 0x00AFAFAF;
    colourB = 0x000000FF;
    colourC = 0x00FF0000;
    axisColour = 0x00808080;
    headerText1.clear();
    headerText2.clear();
    headerText3.clear();
    reportedSerial = 0;
}

int32_t CSettings::ReadInt(const char* name, int32_t current)
{
    const platform::RegistryValue* value = registry_.Find(SectionKey(), name);
    if (!value)
        return current;
    if (value->bytes.size() != 4) {
        problems_.push_back(Quoted(name) + " is not a 32-bit value; the default is kept");
        return current;
    }
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(static_cast<unsigned char>(value->bytes[static_cast<size_t>(i)])) << (8 * i);
    return static_cast<int32_t>(v);
}

float CSettings::ReadFloat(const char* name, float current)
{
    const platform::RegistryValue* value = registry_.Find(SectionKey(), name);
    if (!value)
        return current;
    if (value->bytes.size() < 4) {
        problems_.push_back(Quoted(name) + " is shorter than a float; the default is kept");
        return current;
    }
    float f;
    std::memcpy(&f, value->bytes.data(), 4);
    return f;
}

void CSettings::ReadChart(ColorChart& chart, const char* colours, const char* minimum, float minimumDefault,
                          const char* maximum, float maximumDefault)
{
    if (const platform::RegistryValue* value = registry_.Find(SectionKey(), colours)) {
        if (value->bytes.empty())
            problems_.push_back(Quoted(colours) + " holds no colours; the default chart is kept");
        else
            chart.LoadBytes(reinterpret_cast<const uint8_t*>(value->bytes.data()), value->bytes.size());
    }
    float low = ReadFloat(minimum, minimumDefault);
    float high = ReadFloat(maximum, maximumDefault);
    chart.SetRange(low, high);
}

void CSettings::Load()
{
    for (const PersistedValue& v : PersistedValues()) {
        if (v.loadStep == 2) {
            LoadUsedFrequencies();
        } else if (v.loadStep == 4) {
            // The calibration key is installed before any later value is read.
            CalibrationKey key = calibrationKey;
            key.SetPackedDate(static_cast<uint32_t>(ReadInt(kCalibrationDate, 0x07D00101)));
            key.serial = static_cast<uint16_t>(ReadInt(kCalibrationSerial, calibrationKey.serial));
            InstallSet(key);
        } else if (v.loadStep == 8) {
            ReadChart(mapChart, kMapChart, kMapChartMin, 0.0f, kMapChartMax, 0.0f);
        } else if (v.loadStep == 9) {
            ReadChart(sectionChart, kSectionChart, kSectionChartMin, 1.0f, kSectionChartMax, 0.0f);
        } else if (v.intField) {
            this->*v.intField = ReadInt(v.name, this->*v.intField);
        } else if (v.floatField) {
            this->*v.floatField = ReadFloat(v.name, this->*v.floatField);
        }
    }
}

void CSettings::LoadUsedFrequencies()
{
    const platform::RegistryValue* flags = registry_.Find(SectionKey(), kUsedFrequencies);
    if (!flags)
        return;
    if (flags->bytes.size() < usedFrequencies.size()) {
        problems_.push_back(Quoted(kUsedFrequencies) + " has fewer than 14 flags; the frequencies stay as they were");
        return;
    }
    for (size_t i = 0; i < usedFrequencies.size(); ++i)
        usedFrequencies[i] = flags->bytes[i] != 0 ? 1 : 0;
}

void CSettings::WriteInt(const char* name, int32_t value)
{
    registry_.SetDword(SectionKey(), name, static_cast<uint32_t>(value));
}

void CSettings::WriteFloat(const char* name, float value)
{
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    registry_.SetBinary(SectionKey(), name, std::string_view(bytes, 4));
}

void CSettings::StoreValues()
{
    for (const PersistedValue& v : PersistedValues()) {
        if (v.intField)
            WriteInt(v.name, this->*v.intField);
        else if (v.floatField)
            WriteFloat(v.name, this->*v.floatField);
    }
    std::string flags;
    for (int32_t used : usedFrequencies)
        flags += static_cast<char>(used != 0 ? 1 : 0);
    registry_.SetBinary(SectionKey(), kUsedFrequencies, flags);
    WriteInt(kCalibrationDate, static_cast<int32_t>(calibrationKey.PackedDate()));
    WriteInt(kCalibrationSerial, calibrationKey.serial);
    auto writeChart = [&](const ColorChart& chart, const char* colours, const char* minimum, const char* maximum) {
        if (!chart.Stops().empty())
            registry_.SetBinary(SectionKey(), colours, chart.StopBytes());
        auto [low, high] = chart.GetRange();
        WriteFloat(minimum, low);
        WriteFloat(maximum, high);
    };
    writeChart(mapChart, kMapChart, kMapChartMin, kMapChartMax);
    writeChart(sectionChart, kSectionChart, kSectionChartMin, kSectionChartMax);
}

void CSettings::Save()
{
    StoreValues();
    // A file we could not fully read is kept beside the new one rather than silently replaced.
    if (keepBackup_) {
        std::string old;
        if (platform::ReadWholeFile(settingsFile_, 4u << 20, old).ok)
            platform::WriteFileAtomically(settingsFile_ + ".bak", old);
        keepBackup_ = false;
    }
    lastSave_ = registry_.SaveFile(settingsFile_);
    if (!lastSave_.ok)
        problems_.push_back(lastSave_.error);
}

const std::vector<CSettings::PersistedValue>& CSettings::PersistedValues()
{
    // In the order they are loaded; steps 2, 4, 8 and 9 stand for the values read together there.
    static const std::vector<PersistedValue> values = {
        {"Work type", &CSettings::workType},
        {"xSize", &CSettings::xSize},
        {"ySize", &CSettings::ySize},
        {"xStep", nullptr, &CSettings::xStep},
        {"yStep", nullptr, &CSettings::yStep},
        {kUsedFrequencies, nullptr, nullptr, 2},
        {"Режим трассоискателя включён", &CSettings::tracerModeOn},
        {kCalibrationDate, nullptr, nullptr, 4},
        {"Bluetooth virtual inbound COM port number", &CSettings::btInboundPort},
        {"Bluetooth virtual outbound COM port number", &CSettings::btOutboundPort},
        {"", &CSettings::gpsBaudId},
        {"Unit measure", &CSettings::unitMeasure},
        {"Signal component", &CSettings::signalComponent},
        {"Apparent value (omh or siemen)", &CSettings::apparentValueKind},
        {"Normalized to current", &CSettings::normalizeToCurrent},
        {"Normalized to frequency", &CSettings::normalizeToFrequency},
        {"Phase equalization", &CSettings::phaseEqualization},
        {"Substract undercompensation", &CSettings::subtractUndercompensation},
        {"Apply signal filter", &CSettings::applySignalFilter},
        {"Signal channel is current", &CSettings::signalChannelIsCurrent},
        {"Frequency power value in frequency-normalized inpase signal", nullptr, &CSettings::inphasePower},
        {"Frequency power value in frequency-normalized module signal", nullptr, &CSettings::modulePower},
        {"Frequency power value in frequency-normalized quadrature signal", nullptr, &CSettings::quadraturePower},
        {"Depth scale factor", nullptr, &CSettings::depthScaleFactor},
        {"Minimum number of stations for a profile curve", &CSettings::minStationsProfileCurve},
        {"Minimum number of stations for a profile", &CSettings::minStationsSection},
        {"Minimum number of profiles for an area", &CSettings::minProfilesMap},
        {"Show probe curves", &CSettings::showSoundingCurve},
        {"Show profile curves", &CSettings::showProfileCurve},
        {"Show profiles", &CSettings::showSection},
        {"Show areas", &CSettings::showMap},
        {"Filter profile curve", &CSettings::filterProfileCurve},
        {"Проф. кривая: профиль %u, частота %u", &CSettings::pixelSize},
        {"Manual area color chart ranges", &CSettings::manualMapRange},
        {"Manual profile color chart ranges", &CSettings::manualSectionRange},
        {"Measurement timer mode is on", &CSettings::timerModeOn},
        {"Measurement timer delay", &CSettings::timerDelayMs},
        {"Measurement timer count", &CSettings::timerCount},
        {"Number of measurements to show", &CSettings::pointsToShow},
        {"Minimum number of measurements to show scattered data map", &CSettings::minPointsScatteredMap},
        {kMapChart, nullptr, nullptr, 8},
        {kSectionChart, nullptr, nullptr, 9},
        {"Frequency number for the area graphics", &CSettings::mapFrequencyNumber},
        {"Use real scaling to paint graphics", &CSettings::realScaling},
        {"Show grid", &CSettings::showGrid},
        {"Show scale marks", &CSettings::showScaleMarks},
        {"Показывать GPS трек", &CSettings::showGpsTrack},
        {"Radius value used in GPS Track view", &CSettings::gpsTrackRadius},
        {"GPS lag", nullptr, &CSettings::gpsLagSeconds},
        {"GPS antenna offset", nullptr, &CSettings::antennaAheadMetres},
        {"GPS gap limit", &CSettings::gpsGapLimitMs},
        {"GPS HDOP limit", nullptr, &CSettings::gpsHdopLimit},
        {"Inversion", &CSettings::inversionOn},
        {"Inversion relative noise, %", nullptr, &CSettings::inversionNoisePercent},
        {"Inversion noise floor, units", nullptr, &CSettings::inversionNoiseFloorUnits},
        {"Instrument height", nullptr, &CSettings::instrumentHeight},
    };
    return values;
}

void CSettings::InstallSet(CalibrationKey key)
{
    calibrationKey = key;
    currentCalibration = calibrations.SelectSet(calibrationKey);
}

void CSettings::AdoptReportedSerial(uint8_t serial)
{
    if (serial == 0 || serial == reportedSerial)
        return;
    reportedSerial = serial;
    CalibrationKey key = calibrationKey;
    key.serial = serial;
    InstallSet(key);
}

int32_t CSettings::GpsBaudRate() const
{
    int32_t index = gpsBaudId - kFirstBaudId;
    if (index < 0 || index >= static_cast<int32_t>(std::size(kBaudRates)))
        return 9600;
    return kBaudRates[index];
}
