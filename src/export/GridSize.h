#pragma once
#include <cstddef>
#include <string>

#include "export/ExportFormat.h"

// The largest grid an export writes: no side above 10 000 cells, no file above 2 GB.
inline constexpr double kMaxGridSide = 10000;
inline constexpr double kMaxGridBytes = 2.0 * 1024 * 1024 * 1024;

// Empty when a grid of nx × ny cells and `bands` bands fits the limits in this format, else
// the refusal naming the size it would have had.
std::string GridTooLarge(double nx, double ny, size_t bands, ExportFormat format);
