#pragma once
#include <cstddef>
#include <string>

#include "export/ExportFailure.h"
#include "export/ExportFormat.h"

// The largest grid an export writes: no side above 10 000 cells, no file above 2 GB.
inline constexpr double kMaxGridSide = 10000;
inline constexpr double kMaxGridBytes = 2.0 * 1024 * 1024 * 1024;

// Whether a grid of nx × ny cells and `bands` bands is beyond the limits in this format; if
// so `error` is the refusal naming the size it would have had.
bool GridTooLarge(double nx, double ny, size_t bands, ExportFormat format, ExportError& error);
