#include "ui/CalibrationKeyText.h"

#include <cstdio>

std::optional<CalibrationKey> ParseDeviceText(const QString& text)
{
    int serial = 0, day = 0, month = 0, year = 0;
    const QByteArray bytes = text.toUtf8();
    if (std::sscanf(bytes.constData(), " %*[LURlur] %d, %d/%d/%d", &serial, &day, &month, &year) != 4)
        return std::nullopt;
    CalibrationKey key;
    key.serial = static_cast<uint16_t>(serial);
    key.day = static_cast<uint8_t>(day);
    key.month = static_cast<uint8_t>(month);
    key.year = static_cast<uint16_t>(year);
    return key;
}
