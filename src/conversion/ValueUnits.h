#pragma once
#include <string>

#include "conversion/ConversionSettings.h"

// What the converted values are, for titles and tapped values (UTF-8): "кванты", "Ом·м",
// "мСм/м" or "См/м"; and the component they come from: "модуль", "квадр.", "синф." or "ток".
std::string ValueUnit(const ConversionSettings& settings);
std::string ValueComponent(const ConversionSettings& settings);
