#pragma once
#include <QBasicTimer>
#include <chrono>
#include <optional>

#include "ui/CPropertyPageBase.h"

struct GpsData;

// "GPS": the receiver's state as text, refreshed once a second while the page is shown.
class CPropertyPageGPSView : public CPropertyPageBase {
    Q_OBJECT
public:
    static constexpr int kRefreshTimerId = 2;
    static constexpr int kRefreshMs = 1000;

    explicit CPropertyPageGPSView(PageServices& services);

    bool Refreshing() const { return timer_.isActive(); }
    QString ValueText(int id) const;
    // Refreshes the value texts from the parser's current state.
    void UpdateControls() override;

protected:
    void LoadFromSettings() override;
    void StoreToSettings() override;
    void DoDataExchange(DataExchange&) override {}
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer timer_;
};

// The PRN list of the page: "%02hu " for each satellite of the sky table.
QString PrnListText(const GpsData& data);
// How the machine's clock stands against GPS time: "нет данных", "верны" (within half a
// second), "отстают на 2.5 с", "спешат на 0.8 с".
QString ClockText(std::optional<std::chrono::milliseconds> offset);
