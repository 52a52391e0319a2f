#pragma once
#include <array>
#include <cstdint>

#include "ui/CPropertyPageBase.h"

class QComboBox;

// "Основные настройки": work type, grid, used frequencies and the instrument's calibration.
class CPropertyPageS1 : public CPropertyPageBase {
    Q_OBJECT
public:
    explicit CPropertyPageS1(PageServices& services);

    QComboBox* ModeList() const;
    QComboBox* DeviceList() const;

protected:
    void LoadFromSettings() override;
    void StoreToSettings() override;
    void UpdateControls() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void OnModeChanged();
    void OnFrequencyClicked(int index);
    void OnAllClicked();
    void OnAdd();
    void OnRemove();
    void FillDeviceList();
    void SelectCurrentDevice(QComboBox* list);
    int SelectedMode() const;

    int32_t xSize_ = 0;
    int32_t ySize_ = 0;
    float xStep_ = 0;
    float yStep_ = 0;
    int32_t tracer_ = 0;
    std::array<int32_t, 14> frequencies_{}; // the used-frequency flags, frequency 1 first
    int lastClicked_ = 0;
};
