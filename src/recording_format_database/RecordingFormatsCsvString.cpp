#include "recording_format_database/RecordingFormatsCsvString.h"

#include "foundation/TextLines.h"

namespace RecordingFormatDatabase {

// Only memory exhaustion can throw here, and nothing can be done about that at load time.
// NOLINTNEXTLINE(cert-err58-cpp)
const std::vector<std::string> recordingFormatsCsvStringArray =
    nonEmptyLinesOf(recordingFormatsCsvText);

} // namespace RecordingFormatDatabase
