#pragma once

#include "foundation/Exception.h"

#include <string>

namespace Timecode {

// A timecode text that cannot be parsed, or two timecodes that cannot be
// subtracted or compared.
class InvalidTimecodeException : public Exception {
public:
    // Detail: "Lhs Timecode" and "Rhs Timecode" lines.
    InvalidTimecodeException(const std::string& brief, const std::string& lhsTimecode,
                             const std::string& rhsTimecode);
    // Detail: "Timecode String" and "Frames per Second" lines.
    InvalidTimecodeException(const std::string& brief, const std::string& timecode, float fps);
};

} // namespace Timecode
