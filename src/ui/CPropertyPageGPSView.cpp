#include "ui/CPropertyPageGPSView.h"

#include <QLabel>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>

#include "gps/CNmeaParser.h"
#include "gps/GnssSystemsText.h"
#include "gps/GpsClockOffset.h"

namespace {

constexpr int kSystemsText = 1077;
constexpr int kClockText = 1078;

// The rows of the hand-held's page, closer together to make room for the satellites per
// system and for the machine's clock against GPS time.
constexpr ControlSpec kControls[] = {
    {0, ControlKind::Label, "Широта:", 4, 2, 60, 10},
    {1064, ControlKind::Label, "0.000000", 66, 2, 90, 10},
    {0, ControlKind::Label, "Долгота:", 4, 13, 60, 10},
    {1065, ControlKind::Label, "0.000000", 66, 13, 90, 10},
    {0, ControlKind::Label, "Скорость:", 4, 24, 60, 10},
    {1066, ControlKind::Label, "0.00 км/ч", 66, 24, 90, 10},
    {0, ControlKind::Label, "Качество:", 4, 35, 60, 10},
    {1067, ControlKind::Label, "Недоступно", 66, 35, 90, 10},
    {0, ControlKind::Label, "Fix режим:", 4, 46, 60, 10},
    {1068, ControlKind::Label, "Недоступно", 66, 46, 90, 10},
    {0, ControlKind::Label, "GSA VDOP:", 4, 57, 60, 10},
    {1069, ControlKind::Label, "0.00", 66, 57, 90, 10},
    {0, ControlKind::Label, "GSA HDOP:", 4, 68, 60, 10},
    {1070, ControlKind::Label, "0.00", 66, 68, 90, 10},
    {0, ControlKind::Label, "GSA PDOP:", 4, 79, 60, 10},
    {1071, ControlKind::Label, "0.00", 66, 79, 90, 10},
    {0, ControlKind::Label, "Спутники:", 4, 90, 60, 10},
    {1072, ControlKind::Label, "0", 66, 90, 90, 10},
    {0, ControlKind::Label, "Системы:", 4, 101, 60, 10},
    {kSystemsText, ControlKind::Label, "", 66, 101, 92, 10},
    {0, ControlKind::Label, "PRN коды:", 4, 112, 60, 10},
    {1073, ControlKind::Label, "0 0 0 0 0 0 0 0", 66, 112, 92, 21},
    {0, ControlKind::Label, "Время и дата:", 4, 134, 60, 10},
    {1074, ControlKind::Label, "12:54:00", 66, 134, 40, 10},
    {1075, ControlKind::Label, "17/04/2006", 108, 134, 50, 10},
    {0, ControlKind::Label, "Принято:", 4, 145, 60, 10},
    {1076, ControlKind::Label, "0", 66, 145, 90, 10},
    {0, ControlKind::Label, "Часы ПК:", 4, 156, 60, 10},
    {kClockText, ControlKind::Label, "нет данных", 66, 156, 92, 10},
};

const char* FixModeText(uint8_t fixType)
{
    switch (fixType) {
    case 1:
        return "Недоступно";
    case 2:
        return "2D Fix";
    case 3:
        return "3D Fix";
    default:
        return "Неизвестно";
    }
}

} // namespace

QString PrnListText(const GpsData& data)
{
    // Satellites of several systems may be in view beyond the table's rows: list the rows.
    QString text;
    for (const SatelliteInfo& satellite : data.satellites)
        if (satellite.prn != 0)
            text += QString::asprintf("%02hu ", satellite.prn);
    return text;
}

QString ClockText(std::optional<std::chrono::milliseconds> offset)
{
    if (!offset)
        return "нет данных";
    // GPS time minus the machine's: positive when the machine's clock is behind.
    const double seconds = static_cast<double>(offset->count()) / 1000.0;
    if (std::abs(seconds) < 0.5)
        return "верны";
    return QString::asprintf(seconds > 0 ? "отстают на %.1f с" : "спешат на %.1f с", std::abs(seconds));
}

CPropertyPageGPSView::CPropertyPageGPSView(PageServices& services) : CPropertyPageBase(services, "GPS", kControls)
{
    layout_.Get<QLabel>(1073)->setWordWrap(true);
}

QString CPropertyPageGPSView::ValueText(int id) const
{
    return layout_.Get<QLabel>(id)->text();
}

void CPropertyPageGPSView::LoadFromSettings()
{
    timer_.start(kRefreshMs, this);
}

void CPropertyPageGPSView::StoreToSettings()
{
    timer_.stop();
}

void CPropertyPageGPSView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timer_.timerId())
        UpdateControls();
    else
        CPropertyPageBase::timerEvent(event);
}

void CPropertyPageGPSView::UpdateControls()
{
    GpsData data;
    services_.parser.Snapshot(data);
    const auto set = [this](int id, const QString& text) { layout_.Get<QLabel>(id)->setText(text); };
    set(1064, QString::asprintf("%.6lf", data.rmcLatitude));
    set(1065, QString::asprintf("%.6lf", data.rmcLongitude));
    set(1066, QString::asprintf("%.2lf км/ч", data.speedKnots * 1.852));
    set(1067, data.rmcStatus == 'A' ? "Данные верны" : "Недоступно");
    set(1068, FixModeText(data.fixType));
    set(1069, QString::asprintf("%.2lf", data.vdop));
    set(1070, QString::asprintf("%.2lf", data.gsaHdop));
    set(1071, QString::asprintf("%.2lf", data.pdop));
    set(1072, QString::number(static_cast<int>(data.satellitesInView)));
    set(1073, PrnListText(data));
    set(1074, QString::asprintf("%02d:%02d:%02d", data.rmcHour, data.rmcMinute, data.rmcSecond));
    set(1075, QString::asprintf("%02d/%02d/%04d", data.day, data.month, data.year));
    set(1076, QString::number(static_cast<int>(data.sentenceCount)));
    auto* systems = layout_.Get<QLabel>(kSystemsText);
    systems->setText(QString::fromStdString(GnssSystemsText(data, true)));
    systems->setToolTip(QString::fromStdString(GnssSystemsText(data)));
    set(kClockText, ClockText(services_.clock ? services_.clock->Offset() : std::nullopt));
}
