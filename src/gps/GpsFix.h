#pragma once
#include <cstdint>

// One position: degrees north and east positive, stamped with the millisecond tick counter.
struct GpsFix {
    double latitude = 0;
    double longitude = 0;
    uint32_t tick = 0;
};
