#pragma once

#include "metadata_database/MetadataDatabase.h"

#include <map>
#include <string>
#include <vector>

namespace MetadataDatabase {

// The metadata key table parsed from its semicolon-separated rows
// ("Timecode;ARRI;MXF;input/timecode"). Manufacturer and container format
// match ignoring letter case; the kind name matches exactly.
class CsvStringBasedMetadataDatabase : public MetadataDatabase {
public:
    // Orders strings ignoring letter case: both lowered byte by byte, then compared as bytes.
    struct iless {
        bool operator()(const std::string& lhs, const std::string& rhs) const;
    };

    // The process-wide instance, built from the compiled-in table on first use.
    static const CsvStringBasedMetadataDatabase* sharedInstance();

    // Builds the lookup from metadataKeysCsvStringArray.
    CsvStringBasedMetadataDatabase();
    // Builds the lookup from the given rows; a later row with the same kind, manufacturer and
    // container replaces an earlier one. Throws Exception for a row of fewer than four fields.
    explicit CsvStringBasedMetadataDatabase(const std::vector<std::string>& rows);

    void keyForKind(MetadataKind kind, const std::string& cameraManufacturer,
                    const std::string& containerFormat, std::string& key) const override;

private:
    using KeysByContainerFormat = std::map<std::string, std::string, iless>;
    using KeysByCameraManufacturer = std::map<std::string, KeysByContainerFormat, iless>;

    std::map<std::string, KeysByCameraManufacturer> keysByKindName_;
};

} // namespace MetadataDatabase
