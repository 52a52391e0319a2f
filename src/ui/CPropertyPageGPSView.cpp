#include "ui/CPropertyPageGPSView.h"

#include <QLabel>
#include <QTimerEvent>
#include <algorithm>

#include "gps/CNmeaParser.h"

namespace {

constexpr ControlSpec kControls[] = {
    {0, ControlKind::Label, "Широта:", 4, 4, 60, 10},
    {1064, ControlKind::Label, "0.000000", 66, 4, 90, 10},
    {0, ControlKind::Label, "Долгота:", 4, 16, 60, 10},
    {1065, ControlKind::Label, "0.000000", 66, 16, 90, 10},
    {0, ControlKind::Label, "Скорость:", 4, 28, 60, 10},
    {1066, ControlKind::Label, "0.00 км/ч", 66, 28, 90, 10},
    {0, ControlKind::Label, "Качество:", 4, 40, 60, 10},
    {1067, ControlKind::Label, "Недоступно", 66, 40, 90, 10},
    {0, ControlKind::Label, "Fix режим:", 4, 52, 60, 10},
    {1068, ControlKind::Label, "Недоступно", 66, 52, 90, 10},
    {0, ControlKind::Label, "GSA VDOP:", 4, 64, 60, 10},
    {1069, ControlKind::Label, "0.00", 66, 64, 90, 10},
    {0, ControlKind::Label, "GSA HDOP:", 4, 76, 60, 10},
    {1070, ControlKind::Label, "0.00", 66, 76, 90, 10},
    {0, ControlKind::Label, "GSA PDOP:", 4, 88, 60, 10},
    {1071, ControlKind::Label, "0.00", 66, 88, 90, 10},
    {0, ControlKind::Label, "Спутники:", 4, 100, 60, 10},
    {1072, ControlKind::Label, "0", 66, 100, 90, 10},
    {0, ControlKind::Label, "PRN коды:", 4, 112, 60, 10},
    {1073, ControlKind::Label, "0 0 0 0 0 0 0 0", 66, 112, 92, 22},
    {0, ControlKind::Label, "Время и дата:", 4, 136, 60, 10},
    {1074, ControlKind::Label, "12:54:00", 66, 136, 40, 10},
    {1075, ControlKind::Label, "17/04/2006", 108, 136, 50, 10},
    {0, ControlKind::Label, "Принято:", 4, 148, 60, 10},
    {1076, ControlKind::Label, "0", 66, 148, 90, 10},
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
    QString text;
    const int count = std::min<int>(data.satellitesInView, kMaxSatellites);
    for (int i = 0; i < count; ++i)
        text += QString::asprintf("%02hu ", data.satellites[static_cast<size_t>(i)].prn);
    return text;
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
}
