#include "metadata_database/CameraManufacturerContainerFormatMismatchException.h"

namespace MetadataDatabase {

CameraManufacturerContainerFormatMismatchException::
    CameraManufacturerContainerFormatMismatchException(std::string metadataKindName,
                                                       std::string cameraManufacturer,
                                                       std::string containerFormat)
    : Exception("Camera manufacturer and container format could not be found in the recording "
                "format database.",
                "Metadata Kind: \"" + metadataKindName + "\"\nCamera Manufacturer: \"" +
                    cameraManufacturer + "\"\nContainer Format: \"" + containerFormat + "\"") {}

} // namespace MetadataDatabase
