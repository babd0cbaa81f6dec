#pragma once

#include <boost/filesystem/path.hpp>

#include <string>

class LensCorrection;
namespace DD {
namespace Image {
class Read;
} // namespace Image
} // namespace DD

// The Read node above a correction node, and what the core needs to know
// from it. The rules that read its metadata are ReadMetadataRules. Every
// function returns true on success.
namespace DataSourceHelper {

// The Read node that feeds the node's "plate" input, through this plug-in's
// nodes (by their own "plate" inputs) and other operators (by their first
// input); null when there is none.
DD::Image::Read* readNode(const LensCorrection* node);

// The full-resolution file of the current frame, also in proxy mode.
bool clipFilePath(DD::Image::Read* read, boost::filesystem::path& path);

bool readNodeAndClipFilePath(const LensCorrection* node, DD::Image::Read** read,
                             boost::filesystem::path& path);

// The path of the clip near which the core looks for the correction file.
bool clipFilePath(const LensCorrection* node, std::string& clipFilePath);

bool frameNumberAndTimecode(const LensCorrection* node, unsigned int& frameNumber,
                            std::string& timecode);

// The correction metadata embedded as JSON in the clip.
bool jsonMetadataString(const LensCorrection* node, std::string& json);

} // namespace DataSourceHelper
