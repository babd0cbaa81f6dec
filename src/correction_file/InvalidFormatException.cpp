#include "correction_file/InvalidFormatException.h"

#include <sstream>

namespace CorrectionFile {

namespace {

const char* const briefDescription =
    "Correction file could not be parsed due to an invalid format.";

std::string lineDetail(unsigned int lineNumber, const std::string& lineContent) {
    std::ostringstream detail;
    detail << "Line Number: " << lineNumber << "\nLine Content: \"" << lineContent << '"';
    return detail.str();
}

} // namespace

InvalidFormatException::InvalidFormatException(unsigned int lineNumber,
                                               const std::string& lineContent)
    : Exception(briefDescription, lineDetail(lineNumber, lineContent)), lineNumber_(lineNumber),
      lineContent_(lineContent) {}

InvalidFormatException::InvalidFormatException(const std::string& reason)
    : Exception(briefDescription, "Reason: " + reason) {}

} // namespace CorrectionFile
