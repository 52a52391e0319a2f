#pragma once
#include <limits>

// Marks a grid cell or a pixel that shows no value: the largest finite float (0x7F7FFFFF).
inline constexpr float kNoDataValue = std::numeric_limits<float>::max();
