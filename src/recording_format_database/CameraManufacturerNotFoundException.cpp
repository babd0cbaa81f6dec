#include "recording_format_database/CameraManufacturerNotFoundException.h"

namespace RecordingFormatDatabase {

CameraManufacturerNotFoundException::CameraManufacturerNotFoundException(
    const std::string& cameraManufacturer)
    : Exception("Camera manufacturer could not be found in the recording format database.",
                "Camera Manufacturer: \"" + cameraManufacturer + "\"") {}

} // namespace RecordingFormatDatabase
