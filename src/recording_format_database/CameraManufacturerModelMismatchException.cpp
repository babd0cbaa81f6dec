#include "recording_format_database/CameraManufacturerModelMismatchException.h"

namespace RecordingFormatDatabase {

CameraManufacturerModelMismatchException::CameraManufacturerModelMismatchException(
    const std::string& cameraManufacturer, const std::string& cameraModel)
    : Exception("Camera manufacturer and model could not be found in the recording format "
                "database.",
                "Camera Manufacturer: \"" + cameraManufacturer + "\"\nCamera Model: \"" +
                    cameraModel + "\"") {}

} // namespace RecordingFormatDatabase
