#pragma once
#include <cstdint>

#include "ui/CPropertyPageBase.h"

// "Настройки": the displayed quantity (instrument units or apparent values), the signal
// component and the corrections applied to it; the inversion of each station for a layered
// ground (its switch, the data's noise, the instrument's height); a track's GPS corrections.
class CPropertyPageW1 : public CPropertyPageBase {
    Q_OBJECT
public:
    explicit CPropertyPageW1(PageServices& services);

protected:
    void LoadFromSettings() override { CopyFields(false); }
    void StoreToSettings() override { CopyFields(true); }
    void UpdateControls() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void CopyFields(bool store);
    void SetRadioField(int32_t& field, int32_t value);
    void ToggleField(int32_t& field);

    int32_t normalizeToCurrent_ = 0;
    int32_t normalizeToFrequency_ = 0;
    int32_t phaseEqualization_ = 0;
    int32_t subtractUndercompensation_ = 0;
    float inphasePower_ = 0;
    float modulePower_ = 0;
    float quadraturePower_ = 0;
    float gpsLagSeconds_ = 0;
    float antennaAheadMetres_ = 0;
    int32_t applySignalFilter_ = 0;
    int32_t signalChannelIsCurrent_ = 0;
    int32_t unitMeasure_ = 0;
    int32_t signalComponent_ = 0;
    int32_t apparentValueKind_ = 0;
    int32_t inversionOn_ = 0;
    float noisePercent_ = 0;
    float noiseFloorUnits_ = 0;
    float instrumentHeight_ = 0;
};
