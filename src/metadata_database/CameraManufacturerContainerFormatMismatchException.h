#pragma once

#include "foundation/Exception.h"

#include <string>

namespace MetadataDatabase {

// No metadata key is known for the kind, camera manufacturer and container format asked for.
class CameraManufacturerContainerFormatMismatchException : public Exception {
public:
    // Detail: "Metadata Kind", "Camera Manufacturer" and "Container Format" lines.
    CameraManufacturerContainerFormatMismatchException(std::string metadataKindName,
                                                       std::string cameraManufacturer,
                                                       std::string containerFormat);
};

} // namespace MetadataDatabase
