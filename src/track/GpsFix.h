#pragma once
#include <cstdint>

// A position: degrees, north and east positive, and the millisecond tick it belongs to.
struct GpsFix {
    double latitude = 0;
    double longitude = 0;
    uint32_t tick = 0;
};
