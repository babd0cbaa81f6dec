#pragma once

#include <string>
#include <vector>

namespace MetadataDatabase {

// The text of metadata_keys.csv, compiled in.
extern const char* const metadataKeysCsvText;

// The rows of that text, one string each ("kind;manufacturer;container;key"),
// filled when the library is loaded.
extern const std::vector<std::string> metadataKeysCsvStringArray;

} // namespace MetadataDatabase
