#include "correction_data/DataNotAvailableException.h"

namespace CorrectionData {

DataNotAvailableException::DataNotAvailableException(const std::string& brief,
                                                     const std::string& detail)
    : Exception(brief, detail) {}

} // namespace CorrectionData
