#pragma once

// Centred 9-point moving average in place; the first and last four values stay as they are.
// Fewer than 9 values (or none) are left alone.
void SmoothProfile(float* values, int n);
