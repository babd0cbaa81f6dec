#pragma once

#include "foundation/Exception.h"

#include <vector>

namespace CorrectionData {

// The interpolation points do not determine a polynomial (two equal heights,
// too few values). The detail lists both input vectors in full.
class CoefficentCalculationFailedException : public Exception {
public:
    CoefficentCalculationFailedException(const std::vector<float>& x, const std::vector<float>& y);
};

} // namespace CorrectionData
