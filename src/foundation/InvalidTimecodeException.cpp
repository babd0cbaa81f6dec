#include "foundation/InvalidTimecodeException.h"

#include <sstream>

namespace Timecode {

namespace {

std::string lhsRhsDetail(const std::string& lhsTimecode, const std::string& rhsTimecode) {
    return "Lhs Timecode: \"" + lhsTimecode + "\"\nRhs Timecode: \"" + rhsTimecode + "\"";
}

std::string timecodeAndRateDetail(const std::string& timecode, float fps) {
    std::ostringstream detail;
    detail << "Timecode String: \"" << timecode << "\"\nFrames per Second: \"" << fps << "\"";
    return detail.str();
}

} // namespace

InvalidTimecodeException::InvalidTimecodeException(const std::string& brief,
                                                   const std::string& lhsTimecode,
                                                   const std::string& rhsTimecode)
    : Exception(brief, lhsRhsDetail(lhsTimecode, rhsTimecode)) {}

InvalidTimecodeException::InvalidTimecodeException(const std::string& brief,
                                                   const std::string& timecode, float fps)
    : Exception(brief, timecodeAndRateDetail(timecode, fps)) {}

} // namespace Timecode
