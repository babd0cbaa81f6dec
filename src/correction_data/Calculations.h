#pragma once

#include <vector>

namespace CorrectionData {
namespace Calculations {

// Appends to coefficients the polynomial c0 + c1 x + ... + c(n-1) x^(n-1) that
// passes exactly through the n points (x[i], y[i]), constant term first.
// Seven points whose first two heights are equal lose the first one.
//
// Throws CoefficentCalculationFailedException, leaving coefficients untouched,
// when the points do not determine the polynomial: no points, fewer values
// than heights, two equal heights, or values that are not finite.
void calculateCoefficients(const std::vector<float>& x, const std::vector<float>& y,
                           std::vector<float>& coefficients);

// The heights h(1 - d / 1000) at which the points recorded at the heights h
// with radial distortion d (per mille) lie in the undistorted picture, in
// single precision. Throws CoefficentCalculationFailedException when there
// are fewer distortion values than heights.
std::vector<float> distortedHeights(const std::vector<float>& heights,
                                    const std::vector<float>& radialDistortion);

} // namespace Calculations
} // namespace CorrectionData
