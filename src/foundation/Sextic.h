#pragma once

#include <array>

// A polynomial of degree six, a0 + a1 x + ... + a6 x^6, coefficients a0 first:
// the form in which the fits describe a lens. Evaluated term by term in single
// precision, exactly as the OpenCL kernels evaluate it.
using Sextic = std::array<float, 7>;

inline float evaluateSextic(const Sextic& a, float x) {
    return a[0] + a[1] * x + a[2] * x * x + a[3] * x * x * x + a[4] * x * x * x * x +
           a[5] * x * x * x * x * x + a[6] * x * x * x * x * x * x;
}
