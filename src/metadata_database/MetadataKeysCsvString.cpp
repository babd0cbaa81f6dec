#include "metadata_database/MetadataKeysCsvString.h"

#include "foundation/TextLines.h"

namespace MetadataDatabase {

// Only memory exhaustion can throw here, and nothing can be done about that at load time.
// NOLINTNEXTLINE(cert-err58-cpp)
const std::vector<std::string> metadataKeysCsvStringArray = nonEmptyLinesOf(metadataKeysCsvText);

} // namespace MetadataDatabase
