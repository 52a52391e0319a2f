#pragma once
#include <QString>
#include <optional>

#include "survey/Calibration.h"

// "LUR 9, 28/02/2007": how the device list names a calibration set.
QString DeviceText(const CalibrationKey& key);
// The key back from a device list text (" %*[LURlur] %d, %d/%d/%d"); nothing when the text
// does not give all four numbers.
std::optional<CalibrationKey> ParseDeviceText(const QString& text);
