#pragma once
#include <string>

#include "graphics/DibSurface.h"

// Compares a painted surface with tests/graphics/golden/<name>.png. Pixels must match
// exactly, except that up to `fontPixels` may differ where labels are drawn (fonts vary
// between machines). LUR_REGENERATE_GOLDEN=1 rewrites the golden instead; review the
// pictures before committing. Returns an empty string on a match, else what differs.
std::string CompareWithGolden(const DibSurface& surface, const std::string& name, int fontPixels = 0);
