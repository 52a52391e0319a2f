#include "ui/CPropertyPageS2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "acquisition/AcquisitionEngine.h"
#include "settings/CSettings.h"

namespace {

constexpr ControlSpec kControls[] = {
    {0, ControlKind::GroupBox, "Прибор", 2, 4, 156, 30},
    {0, ControlKind::Label, "Bluetooth COM-порт:", 8, 17, 88, 10},
    {1049, ControlKind::NumberEdit, "", 100, 15, 40, 12},
    {0, ControlKind::GroupBox, "GPS приёмник", 2, 40, 156, 48},
    {0, ControlKind::Label, "Bluetooth COM-порт:", 8, 53, 88, 10},
    {1050, ControlKind::NumberEdit, "", 100, 51, 40, 12},
    {0, ControlKind::Label, "Скорость:", 8, 70, 88, 10},
    {1077, ControlKind::ComboBox, "", 100, 68, 54, 12},
    {1010, ControlKind::DefaultButton, "Далее >>", 100, 150, 56, 16},
};

// Resource strings 73..87: the GPS baud rates; the string id is the setting's value.
constexpr int kFirstBaudId = 73;
const char* const kBaudTexts[] = {"110",   "300",   "600",   "1200",   "2400",   "4800",   "9600",  "14400",
                                  "19200", "38400", "56000", "57600",  "115200", "128000", "256000"};
constexpr int kDefaultBaudId = 79;

} // namespace

CPropertyPageS2::CPropertyPageS2(PageServices& services) : CPropertyPageBase(services, "Дополнительно", kControls)
{
    QComboBox* bauds = BaudList();
    for (size_t i = 0; i < std::size(kBaudTexts); ++i)
        bauds->addItem(kBaudTexts[i], kFirstBaudId + static_cast<int>(i));
    bauds->setCurrentIndex(0);
    connect(bauds, &QComboBox::activated, this, [this] {
        services_.acquisition.Disconnect();
        UpdateData(true);
    });
    connect(layout_.Get<QPushButton>(1010), &QPushButton::clicked, this, &CPropertyPageS2::BeginWorkCommand);
}

QComboBox* CPropertyPageS2::BaudList() const
{
    return layout_.Get<QComboBox>(1077);
}

void CPropertyPageS2::DoDataExchange(DataExchange& dx)
{
    dx.PositiveInt(layout_.Get<QLineEdit>(1049), instrumentPort_, 0, 65535);
    dx.PositiveInt(layout_.Get<QLineEdit>(1050), gpsPort_, 0, 65535);
}

void CPropertyPageS2::LoadFromSettings()
{
    instrumentPort_ = services_.settings.btInboundPort;
    gpsPort_ = services_.settings.btOutboundPort;
    const int baud = BaudList()->findData(services_.settings.gpsBaudId);
    if (baud >= 0)
        BaudList()->setCurrentIndex(baud);
}

void CPropertyPageS2::StoreToSettings()
{
    services_.settings.btInboundPort = instrumentPort_;
    services_.settings.btOutboundPort = gpsPort_;
    services_.settings.gpsBaudId = BaudList()->currentIndex() < 0 ? kDefaultBaudId : BaudList()->currentData().toInt();
}
