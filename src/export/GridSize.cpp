#include "export/GridSize.h"

#include <cmath>
#include <cstdio>

namespace {

// Bytes a cell of one band takes in the file: float32 in GeoTIFF and Surfer, a number of
// about a dozen characters in an ESRI ASCII grid.
double CellBytes(ExportFormat format)
{
    return format == ExportFormat::AsciiGrid || format == ExportFormat::SectionAsciiGrid ? 12 : 4;
}

} // namespace

bool GridTooLarge(double nx, double ny, size_t bands, ExportFormat format, ExportError& error)
{
    const double bytes = nx * ny * static_cast<double>(bands) * CellBytes(format);
    if (nx <= kMaxGridSide && ny <= kMaxGridSide && bytes <= kMaxGridBytes)
        return false;
    char text[256];
    std::snprintf(text, sizeof text,
                  "the grid would be %.0f x %.0f cells x %zu band%s (%.1f GB); the limit is 10000 x 10000 cells "
                  "and 2 GB: choose a larger cell",
                  nx, ny, bands, bands == 1 ? "" : "s", bytes / 1e9);
    error = Refusal(ExportProblem::GridTooLarge, text);
    error.failure.columns = nx;
    error.failure.rows = ny;
    error.failure.bands = bands;
    error.failure.gigabytes = bytes / 1e9;
    return true;
}
