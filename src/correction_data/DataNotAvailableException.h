#pragma once

#include "foundation/Exception.h"

#include <string>

namespace CorrectionData {

// A container cannot give the header or the frame that was asked for. The
// detail names the container's clip (or JSON text) and the request.
class DataNotAvailableException : public Exception {
public:
    DataNotAvailableException(const std::string& brief, const std::string& detail);
};

} // namespace CorrectionData
