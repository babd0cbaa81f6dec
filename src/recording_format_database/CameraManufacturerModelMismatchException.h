#pragma once

#include "foundation/Exception.h"

#include <string>

namespace RecordingFormatDatabase {

// The manufacturer is known, but not with a camera model of that name.
class CameraManufacturerModelMismatchException : public Exception {
public:
    // Detail: "Camera Manufacturer" and "Camera Model" lines.
    CameraManufacturerModelMismatchException(const std::string& cameraManufacturer,
                                             const std::string& cameraModel);
};

} // namespace RecordingFormatDatabase
