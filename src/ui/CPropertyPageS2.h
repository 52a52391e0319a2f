#pragma once
#include <cstdint>

#include "ui/CPropertyPageBase.h"

class QComboBox;

// "Дополнительно": the Bluetooth COM ports of the instrument and the GPS receiver, and the
// GPS baud rate.
class CPropertyPageS2 : public CPropertyPageBase {
    Q_OBJECT
public:
    explicit CPropertyPageS2(PageServices& services);

    QComboBox* BaudList() const;

protected:
    void LoadFromSettings() override;
    void StoreToSettings() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    int32_t instrumentPort_ = 0;
    int32_t gpsPort_ = 0;
};
