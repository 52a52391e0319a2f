#pragma once
#include <vector>

// Straightforward forms of the gridding algorithms, written cell by cell from their
// definitions, to check the optimised code against.
namespace reference {

// Scattered points with finite positions, all of them inside the grid's reach.
void Radius(int radius, const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& v,
            int nx, int ny, std::vector<float>& out);

} // namespace reference
