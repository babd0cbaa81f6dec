#include "metadata_database/MetadataKeysCsvString.h"

#include <sstream>

namespace MetadataDatabase {

namespace {

std::vector<std::string> nonEmptyLinesOf(const char* text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

} // namespace

// Only memory exhaustion can throw here, and nothing can be done about that at load time.
// NOLINTNEXTLINE(cert-err58-cpp)
const std::vector<std::string> metadataKeysCsvStringArray = nonEmptyLinesOf(metadataKeysCsvText);

} // namespace MetadataDatabase
