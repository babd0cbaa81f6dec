#pragma once

#include "foundation/Exception.h"

#include <exception>
#include <string>

namespace CorrectionData {

// A container cannot give the header or the frame that was asked for. The
// detail names the container's clip (or JSON text) and the request.
class DataNotAvailableException : public Exception {
public:
    DataNotAvailableException(const std::string& brief, const std::string& detail);

    // The failure that kept the data from being read, such as a correction
    // file that cannot be parsed; null when the data is simply not there.
    std::exception_ptr cause;
};

} // namespace CorrectionData
