#include "graphics/SmoothProfile.h"

void SmoothProfile(float* values, int n)
{
    if (values == nullptr || n < 9)
        return;
    float sum = 0.0f;
    for (int k = 0; k < 9; ++k)
        sum += values[k];
    // values[i − 4] is overwritten by the time the window leaves it: keep the last
    // four unsmoothed values in a ring.
    float delayed[4] = {values[0], values[1], values[2], values[3]};
    for (int i = 4; i <= n - 5; ++i) {
        const float original = values[i];
        values[i] = sum * 0.11111111f;
        if (i + 5 < n)
            sum += values[i + 5] - delayed[i % 4];
        delayed[i % 4] = original;
    }
}
