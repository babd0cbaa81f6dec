#include "correction_data/Calculations.h"

#include "correction_data/CoefficentCalculationFailedException.h"
#include "correction_data/OpenBlasCall.h"

#include <cblas.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

extern "C" {
void dgetrf_(const int* rows, const int* columns, double* matrix, const int* leadingDimension,
             int* pivots, int* info);
void dgetri_(const int* order, double* matrix, const int* leadingDimension, const int* pivots,
             double* work, const int* workLength, int* info);
}

namespace CorrectionData {
namespace Calculations {

namespace {

// How closely the single-precision coefficients must give back the points,
// relative to the largest value (at least 1): the recorded values carry four
// or five significant digits, and a well-posed fit of them misses by about
// 1e-7. A fit that misses by more than the data's own precision is not the
// lens's curve, however LAPACK reported.
constexpr double reproductionTolerance = 1e-4;

bool hasEqualHeights(std::vector<double> heights) {
    std::sort(heights.begin(), heights.end());
    return std::adjacent_find(heights.begin(), heights.end()) != heights.end();
}

bool reproducesThePoints(const std::vector<float>& coefficients, const std::vector<double>& heights,
                         const std::vector<double>& values) {
    double largestValue = 1.0;
    for (const double value : values) {
        largestValue = std::max(largestValue, std::fabs(value));
    }
    for (std::size_t i = 0; i < heights.size(); ++i) {
        double sum = 0.0;
        double power = 1.0;
        for (const float coefficient : coefficients) {
            sum += static_cast<double>(coefficient) * power;
            power *= heights[i];
        }
        if (!(std::fabs(sum - values[i]) <= reproductionTolerance * largestValue)) {
            return false;
        }
    }
    return true;
}

} // namespace

// The polynomial through n points solves the Vandermonde system V c = y, with
// row i of V holding x[i]^0 ... x[i]^(n-1). V is stored row by row; LAPACK
// reads that storage as column-major, so it inverts the transpose, and read
// back row by row the storage then holds the inverse of V itself. c = V^-1 y
// follows with one matrix-vector product.
void calculateCoefficients(const std::vector<float>& x, const std::vector<float>& y,
                           std::vector<float>& coefficients) {
    const std::size_t first = (x.size() == 7 && x[0] == x[1]) ? 1 : 0;
    const std::size_t count = x.size() - first;
    if (count == 0 || y.size() < x.size()) {
        throw CoefficentCalculationFailedException(x, y);
    }

    const int order = static_cast<int>(count);
    std::vector<double> heights(count);
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        heights[i] = x[first + i];
        values[i] = y[first + i];
    }
    // LAPACK may miss an exactly singular matrix after rounding.
    if (hasEqualHeights(heights)) {
        throw CoefficentCalculationFailedException(x, y);
    }

    std::vector<double> vandermonde(count * count);
    for (std::size_t row = 0; row < count; ++row) {
        for (std::size_t power = 0; power < count; ++power) {
            vandermonde[row * count + power] = std::pow(heights[row], static_cast<double>(power));
        }
    }

    std::vector<int> pivots(count);
    int info = 0;
    const OpenBlasCall call;
    dgetrf_(&order, &order, vandermonde.data(), &order, pivots.data(), &info);
    if (info == 0) {
        std::vector<double> work(count);
        dgetri_(&order, vandermonde.data(), &order, pivots.data(), work.data(), &order, &info);
    }
    if (info != 0) {
        throw CoefficentCalculationFailedException(x, y);
    }

    std::vector<double> solution(count, 0.0);
    cblas_dgemv(CblasRowMajor, CblasNoTrans, order, order, 1.0, vandermonde.data(), order,
                values.data(), 1, 1.0, solution.data(), 1);

    std::vector<float> result;
    result.reserve(count);
    for (const double coefficient : solution) {
        const auto single = static_cast<float>(coefficient);
        if (!std::isfinite(single)) {
            throw CoefficentCalculationFailedException(x, y);
        }
        result.push_back(single);
    }
    if (!reproducesThePoints(result, heights, values)) {
        throw CoefficentCalculationFailedException(x, y);
    }
    coefficients.insert(coefficients.end(), result.begin(), result.end());
}

std::vector<float> distortedHeights(const std::vector<float>& heights,
                                    const std::vector<float>& radialDistortion) {
    if (radialDistortion.size() < heights.size()) {
        throw CoefficentCalculationFailedException(heights, radialDistortion);
    }
    std::vector<float> distorted;
    distorted.reserve(heights.size());
    for (std::size_t i = 0; i < heights.size(); ++i) {
        distorted.push_back(heights[i] * (1.0F - radialDistortion[i] / 1000.0F));
    }
    return distorted;
}

} // namespace Calculations
} // namespace CorrectionData
