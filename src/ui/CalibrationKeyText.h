#pragma once
#include <QString>
#include <optional>

#include "survey/Calibration.h"

// The key back from a device list text (" %*[LURlur] %d, %d/%d/%d"); nothing when the text
// does not give all four numbers.
std::optional<CalibrationKey> ParseDeviceText(const QString& text);
