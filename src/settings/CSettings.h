#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/ColorChart.h"
#include "platform/FileIO.h"
#include "platform/Registry.h"
#include "survey/Calibration.h"
#include "survey/CalibrationStore.h"

// Work types: the resource ids of their names.
enum WorkType : int32_t {
    kWorkMap = 2,
    kWorkLimitedProfile = 3,
    kWorkProfile = 4,
    kWorkGpsTrack = 31,
};

// Where the one settings object keeps its files and whom it asks; set before the first
// Instance() (tests point it at a temporary directory).
struct SettingsEnvironment {
    std::string settingsFile;    // empty: ConfigDirectory()/settings.reg
    std::string calibrationFile; // empty: ConfigDirectory()/LurCalibration.ini
    OverwriteQuestion overwriteQuestion; // empty: keep the stored set
};

// The one settings object. Fields are read and written directly by every part of the
// program; it has no lock and belongs to the UI thread.
class CSettings {
public:
    static constexpr const char* kRegistryKey = "software\\Dalmar\\LurControl";
    static constexpr const char* kDefaultSection = "Default values";

    static CSettings& Instance();
    // Saves (settings and, when changed, the calibration file), destroys and forgets the
    // instance; whether the settings were saved, and if not why.
    static platform::FileResult Release();
    static void SetEnvironment(SettingsEnvironment environment);

    void SetDefaults();
    void Load();
    void Save();
    void InstallSet(CalibrationKey key);
    // The serial number in an instrument's reply: a new one installs that instrument's
    // calibration under the current date (the store may choose another); 0 changes nothing.
    void AdoptReportedSerial(uint8_t serial);
    int32_t GpsBaudRate() const;

    // What could not be read from the settings file (the values kept their defaults),
    // and why the last save failed, for the UI or the CLI to report.
    const std::vector<std::string>& Problems() const { return problems_; }
    const std::string& SettingsFile() const { return settingsFile_; }

    int32_t workType;
    int32_t xSize;
    int32_t ySize;
    float xStep;
    float yStep;
    std::array<int32_t, kFrequencyCount> usedFrequencies;
    int32_t tracerModeOn;
    int32_t sessionExtra1;
    int32_t sessionExtra2;
    int32_t btInboundPort;
    int32_t btOutboundPort;
    int32_t gpsBaudId;
    int32_t normalizeToCurrent;
    int32_t normalizeToFrequency;
    int32_t phaseEqualization;
    int32_t subtractUndercompensation;
    int32_t signalChannelIsCurrent;
    int32_t unitMeasure;
    int32_t signalComponent;
    int32_t apparentValueKind;
    float inphasePower;
    float modulePower;
    float quadraturePower;
    int32_t applySignalFilter;
    double filterThreshold;
    float depthScaleFactor;
    int32_t minStationsProfileCurve;
    int32_t minStationsSection;
    int32_t minProfilesMap;
    int32_t showSoundingCurve;
    int32_t showProfileCurve;
    int32_t showSection;
    int32_t showMap;
    int32_t filterProfileCurve;
    int32_t pixelSize;
    int32_t manualMapRange;
    int32_t manualSectionRange;
    int32_t timerModeOn;
    int32_t timerDelayMs;
    int32_t timerCount;
    int32_t pointsToShow;
    ColorChart mapChart;
    ColorChart sectionChart;
    int32_t minPointsScatteredMap;
    int32_t mapFrequencyNumber;
    int32_t realScaling;
    int32_t showGrid;
    int32_t showScaleMarks;
    int32_t showGpsTrack;
    int32_t gpsTrackRadius;
    float gpsLagSeconds;      // the receiver's latency: a reading at t is placed where it was at t + lag
    float antennaAheadMetres; // the GPS antenna's distance ahead of the instrument along the walk
    int32_t gpsGapLimitMs;    // a reading interpolated across a longer gap between fixes is poorly placed
    float gpsHdopLimit;       // a live fix above this HDOP has degraded
    int32_t inversionOn;            // the measurement pages invert the stations in the background
    float inversionNoisePercent;    // of each quadrature and in-phase value
    float inversionNoiseFloorUnits; // added noise, in units of the instrument's resolution
    float instrumentHeight;         // metres above the ground
    Colour colourA;
    Colour colourB;
    Colour colourC;
    Colour axisColour;
    std::string headerText1, headerText2, headerText3;
    int32_t gridStations = 0;
    int32_t gridProfiles = 0;
    int32_t reportedSerial = 0;
    std::string registrySection;
    CalibrationStore calibrations;
    CalibrationKey calibrationKey;
    CalibrationSet currentCalibration;

    // The settings file as loaded; other sections ("Serial ports") are read from it too.
    const platform::Registry& Registry() const { return registry_; }

    // Copies every persisted field into Registry() without writing the file.
    void StoreValues();

    // A persisted int or float field under its value name; entries with neither field are
    // read and written by name elsewhere (flags, calibration key, charts).
    struct PersistedValue {
        const char* name;
        int32_t CSettings::*intField = nullptr;
        float CSettings::*floatField = nullptr;
        int loadStep = 0;
    };
    static const std::vector<PersistedValue>& PersistedValues();

private:
    explicit CSettings(const SettingsEnvironment& environment);

    int32_t ReadInt(const char* name, int32_t current);
    float ReadFloat(const char* name, float current);
    void LoadUsedFrequencies();
    void ReadChart(ColorChart& chart, const char* colours, const char* minimum, float minimumDefault,
                   const char* maximum, float maximumDefault);
    void WriteInt(const char* name, int32_t value);
    void WriteFloat(const char* name, float value);
    std::string SectionKey() const;

    std::string settingsFile_;
    platform::Registry registry_;
    std::vector<std::string> problems_;
    platform::FileResult lastSave_{true, {}};
    bool keepBackup_ = false; // the file held values we could not read
};
