#pragma once
#include <string>

#include "graphics/DibSurface.h"

// Writes the surface's pixels to a PNG file. On failure returns false and, when error is
// given, a description of the cause.
bool SaveSurfacePng(const DibSurface& surface, const std::string& path, std::string* error = nullptr);
