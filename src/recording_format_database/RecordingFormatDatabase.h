#pragma once

#include "recording_format_database/RecordingFormat.h"

#include <map>
#include <string>
#include <vector>

namespace RecordingFormatDatabase {

// The recording formats of camera models, by manufacturer and model.
class RecordingFormatDatabase {
public:
    virtual ~RecordingFormatDatabase() = default;

    // Replaces `manufacturers` with every camera manufacturer.
    virtual void cameraManufacturers(std::vector<std::string>& manufacturers) const = 0;
    // Replaces `models` with the models of the manufacturer; throws
    // CameraManufacturerNotFoundException, leaving `models` untouched.
    virtual void cameraModels(const std::string& cameraManufacturer,
                              std::vector<std::string>& models) const = 0;
    // Replaces `formats` with the model's formats by name; throws
    // CameraManufacturerNotFoundException or CameraManufacturerModelMismatchException,
    // leaving `formats` untouched.
    virtual void recordingFormats(const std::string& cameraManufacturer,
                                  const std::string& cameraModel,
                                  std::map<std::string, RecordingFormat>& formats) const = 0;

protected:
    RecordingFormatDatabase() = default;
    RecordingFormatDatabase(const RecordingFormatDatabase&) = default;
    RecordingFormatDatabase& operator=(const RecordingFormatDatabase&) = default;
    RecordingFormatDatabase(RecordingFormatDatabase&&) = default;
    RecordingFormatDatabase& operator=(RecordingFormatDatabase&&) = default;
};

} // namespace RecordingFormatDatabase
