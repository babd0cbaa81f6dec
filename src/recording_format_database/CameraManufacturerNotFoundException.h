#pragma once

#include "foundation/Exception.h"

#include <string>

namespace RecordingFormatDatabase {

// The recording format database knows no camera manufacturer of that name.
class CameraManufacturerNotFoundException : public Exception {
public:
    // Detail: a "Camera Manufacturer" line.
    explicit CameraManufacturerNotFoundException(const std::string& cameraManufacturer);
};

} // namespace RecordingFormatDatabase
