#pragma once

#include "metadata_database/MetadataKind.h"

#include <string>

namespace MetadataDatabase {

// Tells which host metadata key holds a clip's file name or timecode for a
// camera manufacturer and container format.
class MetadataDatabase {
public:
    virtual ~MetadataDatabase() = default;

    // Writes the key into `key`; throws CameraManufacturerContainerFormatMismatchException,
    // leaving `key` untouched, when the combination is unknown.
    virtual void keyForKind(MetadataKind kind, const std::string& cameraManufacturer,
                            const std::string& containerFormat, std::string& key) const = 0;

protected:
    MetadataDatabase() = default;
    MetadataDatabase(const MetadataDatabase&) = default;
    MetadataDatabase& operator=(const MetadataDatabase&) = default;
    MetadataDatabase(MetadataDatabase&&) = default;
    MetadataDatabase& operator=(MetadataDatabase&&) = default;
};

} // namespace MetadataDatabase
