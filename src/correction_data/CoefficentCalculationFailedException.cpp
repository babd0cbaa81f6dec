#include "correction_data/CoefficentCalculationFailedException.h"

#include <sstream>

namespace CorrectionData {

namespace {

void writeVector(std::ostringstream& detail, const char* label, const std::vector<float>& values) {
    detail << label;
    for (const float value : values) {
        detail << ' ' << static_cast<double>(value);
    }
}

std::string vectorsDetail(const std::vector<float>& x, const std::vector<float>& y) {
    std::ostringstream detail;
    writeVector(detail, "X Vector:", x);
    detail << '\n';
    writeVector(detail, "Y Vector:", y);
    return detail.str();
}

} // namespace

CoefficentCalculationFailedException::CoefficentCalculationFailedException(
    const std::vector<float>& x, const std::vector<float>& y)
    : Exception("Calculation of the polynomial coefficients did fail.", vectorsDetail(x, y)) {}

} // namespace CorrectionData
