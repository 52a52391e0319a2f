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

// Value names of the persisted fields.
constexpr const char* kWorkType = "Work type";
constexpr const char* kXSize = "xSize";
constexpr const char* kYSize = "ySize";
constexpr const char* kXStep = "xStep";
constexpr const char* kYStep = "yStep";
constexpr const char* kUsedFrequencies = "Used frequences";
constexpr const char* kTracerMode = "Режим трассоискателя включён";
constexpr const char* kCalibrationDate = "The last calibration data was used";
constexpr const char* kCalibrationSerial = "LUR serial number";
constexpr const char* kInboundPort = "Bluetooth virtual inbound COM port number";
constexpr const char* kOutboundPort = "Bluetooth virtual outbound COM port number";
constexpr const char* kGpsBaud = "";
constexpr const char* kUnitMeasure = "Unit measure";
constexpr const char* kSignalComponent = "Signal component";
constexpr const char* kApparentValue = "Apparent value (omh or siemen)";
constexpr const char* kNormalizeCurrent = "Normalized to current";
constexpr const char* kNormalizeFrequency = "Normalized to frequency";
constexpr const char* kPhaseEqualization = "Phase equalization";
constexpr const char* kSubtractUndercompensation = "Substract undercompensation";
constexpr const char* kApplySignalFilter = "Apply signal filter";
constexpr const char* kSignalChannelIsCurrent = "Signal channel is current";
constexpr const char* kInphasePower = "Frequency power value in frequency-normalized inpase signal";
constexpr const char* kModulePower = "Frequency power value in frequency-normalized module signal";
constexpr const char* kQuadraturePower = "Frequency power value in frequency-normalized quadrature signal";
constexpr const char* kDepthScale = "Depth scale factor";
constexpr const char* kMinStationsProfileCurve = "Minimum number of stations for a profile curve";
constexpr const char* kMinStationsSection = "Minimum number of stations for a profile";
constexpr const char* kMinProfilesMap = "Minimum number of profiles for an area";
constexpr const char* kShowSoundingCurve = "Show probe curves";
constexpr const char* kShowProfileCurve = "Show profile curves";
constexpr const char* kShowSection = "Show profiles";
constexpr const char* kShowMap = "Show areas";
constexpr const char* kFilterProfileCurve = "Filter profile curve";
constexpr const char* kPixelSize = "Проф. кривая: профиль %u, частота %u";
constexpr const char* kManualMapRange = "Manual area color chart ranges";
constexpr const char* kManualSectionRange = "Manual profile color chart ranges";
constexpr const char* kTimerModeOn = "Measurement timer mode is on";
constexpr const char* kTimerDelay = "Measurement timer delay";
constexpr const char* kTimerCount = "Measurement timer count";
constexpr const char* kPointsToShow = "Number of measurements to show";
constexpr const char* kMinPointsScatteredMap = "Minimum number of measurements to show scattered data map";
constexpr const char* kMapChart = "Area color chart";
constexpr const char* kMapChartMin = "Area color chart minimum value";
constexpr const char* kMapChartMax = "Area color chart maximum value";
constexpr const char* kSectionChart = "Profile color chart";
constexpr const char* kSectionChartMin = "Profile color chart minimum value";
constexpr const char* kSectionChartMax = "Profile color chart maximum value";
constexpr const char* kMapFrequency = "Frequency number for the area graphics";
constexpr const char* kRealScaling = "Use real scaling to paint graphics";
constexpr const char* kShowGrid = "Show grid";
constexpr const char* kShowScaleMarks = "Show scale marks";
constexpr const char* kShowGpsTrack = "Показывать GPS трек";
constexpr const char* kGpsTrackRadius = "Radius value used in GPS Track view";

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

void CSettings::Release()
{
    auto& slot = Slot();
    if (slot) {
        slot->Save();
        slot.reset();
    }
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
    workType = ReadInt(kWorkType, workType);
    xSize = ReadInt(kXSize, xSize);
    ySize = ReadInt(kYSize, ySize);
    xStep = ReadFloat(kXStep, xStep);
    yStep = ReadFloat(kYStep, yStep);

    if (const platform::RegistryValue* flags = registry_.Find(SectionKey(), kUsedFrequencies)) {
        if (flags->bytes.size() < usedFrequencies.size()) {
            problems_.push_back(Quoted(kUsedFrequencies) + " has fewer than 14 flags; all frequencies stay as they were");
        } else {
            for (size_t i = 0; i < usedFrequencies.size(); ++i)
                usedFrequencies[i] = flags->bytes[i] != 0 ? 1 : 0;
        }
    }
    tracerModeOn = ReadInt(kTracerMode, tracerModeOn);

    CalibrationKey key = calibrationKey;
    key.SetPackedDate(static_cast<uint32_t>(ReadInt(kCalibrationDate, 0x07D00101)));
    key.serial = static_cast<uint16_t>(ReadInt(kCalibrationSerial, calibrationKey.serial));
    InstallSet(key);

    btInboundPort = ReadInt(kInboundPort, btInboundPort);
    btOutboundPort = ReadInt(kOutboundPort, btOutboundPort);
    gpsBaudId = ReadInt(kGpsBaud, gpsBaudId);
    unitMeasure = ReadInt(kUnitMeasure, unitMeasure);
    signalComponent = ReadInt(kSignalComponent, signalComponent);
    apparentValueKind = ReadInt(kApparentValue, apparentValueKind);
    normalizeToCurrent = ReadInt(kNormalizeCurrent, normalizeToCurrent);
    normalizeToFrequency = ReadInt(kNormalizeFrequency, normalizeToFrequency);
    phaseEqualization = ReadInt(kPhaseEqualization, phaseEqualization);
    subtractUndercompensation = ReadInt(kSubtractUndercompensation, subtractUndercompensation);
    applySignalFilter = ReadInt(kApplySignalFilter, applySignalFilter);
    signalChannelIsCurrent = ReadInt(kSignalChannelIsCurrent, signalChannelIsCurrent);

    inphasePower = ReadFloat(kInphasePower, inphasePower);
    modulePower = ReadFloat(kModulePower, modulePower);
    quadraturePower = ReadFloat(kQuadraturePower, quadraturePower);
    depthScaleFactor = ReadFloat(kDepthScale, depthScaleFactor);

    minStationsProfileCurve = ReadInt(kMinStationsProfileCurve, minStationsProfileCurve);
    minStationsSection = ReadInt(kMinStationsSection, minStationsSection);
    minProfilesMap = ReadInt(kMinProfilesMap, minProfilesMap);
    showSoundingCurve = ReadInt(kShowSoundingCurve, showSoundingCurve);
    showProfileCurve = ReadInt(kShowProfileCurve, showProfileCurve);
    showSection = ReadInt(kShowSection, showSection);
    showMap = ReadInt(kShowMap, showMap);
    filterProfileCurve = ReadInt(kFilterProfileCurve, filterProfileCurve);
    pixelSize = ReadInt(kPixelSize, pixelSize);
    manualMapRange = ReadInt(kManualMapRange, manualMapRange);
    manualSectionRange = ReadInt(kManualSectionRange, manualSectionRange);
    timerModeOn = ReadInt(kTimerModeOn, timerModeOn);
    timerDelayMs = ReadInt(kTimerDelay, timerDelayMs);
    timerCount = ReadInt(kTimerCount, timerCount);
    pointsToShow = ReadInt(kPointsToShow, pointsToShow);
    minPointsScatteredMap = ReadInt(kMinPointsScatteredMap, minPointsScatteredMap);

    ReadChart(mapChart, kMapChart, kMapChartMin, 0.0f, kMapChartMax, 0.0f);
    ReadChart(sectionChart, kSectionChart, kSectionChartMin, 1.0f, kSectionChartMax, 0.0f);

    mapFrequencyNumber = ReadInt(kMapFrequency, mapFrequencyNumber);
    realScaling = ReadInt(kRealScaling, realScaling);
    showGrid = ReadInt(kShowGrid, showGrid);
    showScaleMarks = ReadInt(kShowScaleMarks, showScaleMarks);
    showGpsTrack = ReadInt(kShowGpsTrack, showGpsTrack);
    gpsTrackRadius = ReadInt(kGpsTrackRadius, gpsTrackRadius);
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

void CSettings::Save()
{
    WriteInt(kWorkType, workType);
    WriteInt(kXSize, xSize);
    WriteInt(kYSize, ySize);
    WriteFloat(kXStep, xStep);
    WriteFloat(kYStep, yStep);
    std::string flags;
    for (int32_t used : usedFrequencies)
        flags += static_cast<char>(used != 0 ? 1 : 0);
    registry_.SetBinary(SectionKey(), kUsedFrequencies, flags);
    WriteInt(kTracerMode, tracerModeOn);
    WriteInt(kCalibrationDate, static_cast<int32_t>(calibrationKey.PackedDate()));
    WriteInt(kCalibrationSerial, calibrationKey.serial);

    WriteInt(kInboundPort, btInboundPort);
    WriteInt(kOutboundPort, btOutboundPort);
    WriteInt(kGpsBaud, gpsBaudId);
    WriteInt(kUnitMeasure, unitMeasure);
    WriteInt(kSignalComponent, signalComponent);
    WriteInt(kApparentValue, apparentValueKind);
    WriteInt(kNormalizeCurrent, normalizeToCurrent);
    WriteInt(kNormalizeFrequency, normalizeToFrequency);
    WriteInt(kPhaseEqualization, phaseEqualization);
    WriteInt(kSubtractUndercompensation, subtractUndercompensation);
    WriteInt(kApplySignalFilter, applySignalFilter);
    WriteInt(kSignalChannelIsCurrent, signalChannelIsCurrent);

    WriteFloat(kInphasePower, inphasePower);
    WriteFloat(kModulePower, modulePower);
    WriteFloat(kQuadraturePower, quadraturePower);
    WriteFloat(kDepthScale, depthScaleFactor);

    WriteInt(kMinStationsProfileCurve, minStationsProfileCurve);
    WriteInt(kMinStationsSection, minStationsSection);
    WriteInt(kMinProfilesMap, minProfilesMap);
    WriteInt(kShowSoundingCurve, showSoundingCurve);
    WriteInt(kShowProfileCurve, showProfileCurve);
    WriteInt(kShowSection, showSection);
    WriteInt(kShowMap, showMap);
    WriteInt(kFilterProfileCurve, filterProfileCurve);
    WriteInt(kPixelSize, pixelSize);
    WriteInt(kManualMapRange, manualMapRange);
    WriteInt(kManualSectionRange, manualSectionRange);
    WriteInt(kTimerModeOn, timerModeOn);
    WriteInt(kTimerDelay, timerDelayMs);
    WriteInt(kTimerCount, timerCount);
    WriteInt(kPointsToShow, pointsToShow);
    WriteInt(kMinPointsScatteredMap, minPointsScatteredMap);

    auto writeChart = [&](const ColorChart& chart, const char* colours, const char* minimum, const char* maximum) {
        if (!chart.Stops().empty())
            registry_.SetBinary(SectionKey(), colours, chart.StopBytes());
        auto [low, high] = chart.GetRange();
        WriteFloat(minimum, low);
        WriteFloat(maximum, high);
    };
    writeChart(mapChart, kMapChart, kMapChartMin, kMapChartMax);
    writeChart(sectionChart, kSectionChart, kSectionChartMin, kSectionChartMax);

    WriteInt(kMapFrequency, mapFrequencyNumber);
    WriteInt(kRealScaling, realScaling);
    WriteInt(kShowGrid, showGrid);
    WriteInt(kShowScaleMarks, showScaleMarks);
    WriteInt(kShowGpsTrack, showGpsTrack);
    WriteInt(kGpsTrackRadius, gpsTrackRadius);

    // A file we could not read is kept beside the new one rather than silently replaced.
    if (keepBackup_) {
        std::string old;
        if (platform::ReadWholeFile(settingsFile_, 4u << 20, old).ok)
            platform::WriteFileAtomically(settingsFile_ + ".bak", old);
        keepBackup_ = false;
    }
    platform::FileResult saved = registry_.SaveFile(settingsFile_);
    if (!saved.ok)
        problems_.push_back(saved.error);
}

void CSettings::InstallSet(CalibrationKey key)
{
    calibrationKey = key;
    currentCalibration = calibrations.SelectSet(calibrationKey);
}

int32_t CSettings::GpsBaudRate() const
{
    int32_t index = gpsBaudId - kFirstBaudId;
    if (index < 0 || index >= static_cast<int32_t>(std::size(kBaudRates)))
        return 9600;
    return kBaudRates[index];
}
