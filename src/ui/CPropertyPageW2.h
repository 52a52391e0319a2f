#pragma once
#include <cstdint>
#include <optional>

#include "graphics/ColorChart.h"
#include "platform/Prompter.h"
#include "ui/CPropertyPageBase.h"

// "Визуализация": which graphs appear and when, colour ranges, pixel size, the measurement
// timer, and the two colour charts edited on their strips (tap and hold a strip).
class CPropertyPageW2 : public CPropertyPageBase {
    Q_OBJECT
public:
    // Commands of the "Цвет" menu.
    enum ColourCommand : int {
        kChangeColour = 10000,
        kAddColour = 10001,
        kMirrorChart = 10002,
        kRemoveColour = 10003,
        kRes2dinvPreset = 10004,
        kRgbPreset = 10005,
    };
    static constexpr int kSectionStrip = 1051;
    static constexpr int kMapStrip = 1052;

    explicit CPropertyPageW2(PageServices& services);

    // The chart command for the strip remembered at the last tap-and-hold.
    void OnColourCommand(int command);
    const platform::CustomColours& CustomColours() const { return customColours_; }
    // The strip's cell width for a chart of n colours.
    int CellWidth(int strip, size_t n) const;

protected:
    void LoadFromSettings() override { CopyFields(false); }
    void StoreToSettings() override { CopyFields(true); }
    void UpdateControls() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnTapAndHold(QPoint point) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CopyFields(bool store);
    void Spin(int edit, int delta);
    void ToggleField(int32_t& field);
    ColorChart& ChartOf(int strip);
    std::optional<uint32_t> ChooseColour(uint32_t initial);
    void StoreCustomColour(Colour colour);

    float depthScaleFactor_ = 0;
    int32_t minStationsProfileCurve_ = 0;
    int32_t minStationsSection_ = 0;
    int32_t minProfilesMap_ = 0;
    int32_t showSoundingCurve_ = 0;
    int32_t showProfileCurve_ = 0;
    int32_t filterProfileCurve_ = 0;
    int32_t showSection_ = 0;
    int32_t showMap_ = 0;
    int32_t pixelSize_ = 0;
    float mapMaximum_ = 0, mapMinimum_ = 0;
    float sectionMaximum_ = 0, sectionMinimum_ = 0;
    int32_t manualMapRange_ = 0;
    int32_t manualSectionRange_ = 0;
    int32_t timerModeOn_ = 0;
    int32_t timerDelayMs_ = 0;
    int32_t timerCount_ = 0;
    int32_t pointsToShow_ = 0;

    int tappedStrip_ = 0;
    QPoint tappedPoint_;
    platform::CustomColours customColours_{};
    size_t nextCustomColour_ = 0;
};
