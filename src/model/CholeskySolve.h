#pragma once
#include <cstddef>
#include <vector>

// Solves A x = b for a symmetric positive definite n×n matrix A (row-major, only its lower
// triangle read), overwriting A with its Cholesky factor and b with x. False, leaving x
// undefined, when A is not numerically positive definite.
bool CholeskySolve(std::vector<double>& a, std::vector<double>& b, size_t n);
