#include "metadata_database/CameraManufacturerContainerFormatMismatchException.h"

#include <utility>

namespace MetadataDatabase {

CameraManufacturerContainerFormatMismatchException::
    CameraManufacturerContainerFormatMismatchException(std::string metadataKindName,
                                                       std::string cameraManufacturer,
                                                       std::string containerFormat)
    : Exception("Camera manufacturer and container format could not be found in the recording "
                "format database.",
                "Metadata Kind: \"" + std::move(metadataKindName) + "\"\nCamera Manufacturer: \"" +
                    std::move(cameraManufacturer) + "\"\nContainer Format: \"" +
                    std::move(containerFormat) + "\"") {}

} // namespace MetadataDatabase
