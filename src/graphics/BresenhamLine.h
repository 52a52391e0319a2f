#pragma once
#include <cstdint>
#include <cstdlib>

// Visits the points of the line (x0, y0)–(x1, y1), both ends included, in order:
// visit(x, y, step) with step 0 .. major. Returns the number of steps (major).
template <typename Visit>
int64_t WalkBresenham(int x0, int y0, int x1, int y1, Visit&& visit)
{
    const int64_t ax = std::llabs(static_cast<int64_t>(x1) - x0);
    const int64_t ay = std::llabs(static_cast<int64_t>(y1) - y0);
    const int sx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
    const int sy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
    const bool steep = ax < ay;
    const int64_t major = steep ? ay : ax;
    const int64_t minor = steep ? ax : ay;
    int64_t e = 2 * minor - major;
    int64_t x = x0;
    int64_t y = y0;
    visit(x, y, int64_t{0});
    for (int64_t step = 1; step <= major; ++step) {
        if (e >= 0) {
            if (steep)
                x += sx;
            else
                y += sy;
            e -= 2 * major;
        }
        if (steep)
            y += sy;
        else
            x += sx;
        e += 2 * minor;
        visit(x, y, step);
    }
    return major;
}
