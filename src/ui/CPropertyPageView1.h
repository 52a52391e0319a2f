#pragma once
#include <cstdint>

#include "ui/MeasurementPage.h"

class SurveyDataSet;

// "Главная" of a map, limited profile or profile: where the next reading goes, one graph
// chosen from the data at hand, and the progress grid.
class CPropertyPageView1 : public MeasurementPage {
    Q_OBJECT
public:
    explicit CPropertyPageView1(PageServices& services);

    void SetWork(WorkSession* work) override;
    void ResetDisplayState() override;
    void OnSetActive() override;

    uint32_t CurrentProfile() const { return currentProfile_; }
    uint32_t CurrentStation() const { return currentStation_; }

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool GraphAllowed(uint32_t graph) const override;
    GraphPosition ShownPosition() const override;
    QString GraphTitle(uint32_t graph) const override;
    void KeepOrDropShownGraph() override;
    void MoveByKey(int code, bool autoRepeat) override;
    void ShowCurrentPosition() override;
    void AfterReading() override;

private:
    void TakePositionFromData();

    SurveyDataSet* survey_ = nullptr;
    uint32_t currentProfile_ = 0;
    uint32_t currentStation_ = 0;
    uint32_t shownProfile_ = 0;
    uint32_t shownStation_ = 0;
    uint32_t lastProfile_ = 0;
};
