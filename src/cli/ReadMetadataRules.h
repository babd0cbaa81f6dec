#pragma once

#include "cli/ReadMetadata.h"

#include <string>

// How a host derives the clip and frame that a Read loads from the Read's
// file path and metadata: the camera, the clip whose correction file is
// searched for, the frame number and the timecode. Host independent; each
// function answers false when the metadata does not allow an answer.
namespace ReadMetadataRules {

// The extension without dots, lowered; false when there is none.
bool clipFileExtension(const std::string& filePath, std::string& extension);

// The camera manufacturer that the metadata proves for the extension.
bool cameraManufacturer(const ReadMetadata& metadata, const std::string& extension,
                        std::string& manufacturer);

// The camera's own clip file name; `unsupported` reports a camera or
// container without a metadata key for it.
bool originalClipFileName(const ReadMetadata& metadata, const std::string& filePath,
                          bool& unsupported, std::string& clipFileName);

// The path of the clip whose correction file is looked for.
bool clipFilePath(const ReadMetadata& metadata, const std::string& filePath,
                  std::string& clipPath);

// A RED timecode of a high-frame-rate clip counted in frames of the full rate.
void modifyR3dTimecodeIfNeeded(const ReadMetadata& metadata, std::string& timecode);

// The camera-specific timecode; `unsupported` as above.
bool timecode(const ReadMetadata& metadata, const std::string& extension, bool& unsupported,
              std::string& value);

// "input/frame" counted from the first frame of the Read's range.
bool frameNumber(const ReadMetadata& metadata, double firstFrame, unsigned int& number);

// The frame number and timecode that identify the frame in its correction data.
bool frameNumberAndTimecode(const ReadMetadata& metadata, const std::string& filePath,
                            double firstFrame, unsigned int& number, std::string& timecode);

// The correction metadata embedded in an EXR frame.
bool jsonMetadataString(const ReadMetadata& metadata, const std::string& filePath,
                        std::string& json);

} // namespace ReadMetadataRules
