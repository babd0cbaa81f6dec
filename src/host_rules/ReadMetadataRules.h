#pragma once

#include "host_rules/ReadMetadata.h"

#include <boost/filesystem/path.hpp>

#include <string>

// How the clip, the frame and its timecode are read from a reader's metadata.
// Free of any host: the plug-in and the command-line tool share these rules.
// Every function returns true on success.
namespace ReadMetadataRules {

// The extension without dots, lower-cased; false when that leaves nothing.
bool clipFileExtension(const boost::filesystem::path& clipFilePath, std::string& extension);

// The camera manufacturer that the metadata proves for a clip of that extension.
bool cameraManufacturer(const ReadMetadata& metadata, const std::string& extension,
                        std::string& manufacturer);

// The file name that the camera gave the clip. `unsupported` reports a camera or
// container for which no such name is known.
bool originalClipFileName(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                          bool& unsupported, std::string& name);

// The path of the clip whose correction file is searched, from the path of
// the file being read: the camera's clip name beside it, the base name of an
// EXR or DPX sequence, or the file itself.
bool clipFilePath(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                  std::string& clipFilePath);

// A RED clip's frame rate.
bool r3dFramerate(const ReadMetadata& metadata, float& rate);

// Turns the start timecode of a RED clip shot above 30 and up to 60 frames
// per second into one counted at the shooting rate; other texts stay as they are.
void modifyR3dTimecodeIfNeeded(const ReadMetadata& metadata, std::string& timecode);

// The camera's own timecode of the frame. `unsupported` as above.
bool timecode(const ReadMetadata& metadata, const std::string& extension, bool& unsupported,
              std::string& timecode);

// The frame number counted from the reader's first frame.
bool frameNumber(const ReadMetadata& metadata, int firstFrame, unsigned int& frameNumber);

// The frame number and timecode by which the frame's correction record is
// found. An empty timecode means: look the frame up by its number.
bool frameNumberAndTimecode(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                            int firstFrame, unsigned int& frameNumber, std::string& timecode);

// Whether the timecode fits the core's frame data (at most 15 characters).
bool timecodeFitsFrameData(const std::string& timecode);

// The correction metadata embedded as JSON in an EXR frame.
bool jsonMetadataString(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                        std::string& json);

} // namespace ReadMetadataRules
