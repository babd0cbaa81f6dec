#include "cli/ReadMetadataRules.h"

#include "core/Core.h"

#include <boost/algorithm/string.hpp>
#include <boost/filesystem/path.hpp>

#include <array>
#include <cmath>
#include <cstdio>

namespace ReadMetadataRules {

namespace {

namespace fs = boost::filesystem;

struct ManufacturerRow {
    const char* key;
    const char* extension;
    const char* manufacturer;
};

const std::array<ManufacturerRow, 7> manufacturerRows{{
    {"quicktime/red/camera/ClipFilename", "mov", "RED"},
    {"quicktime/arri/camera/CameraClipName", "mov", "ARRI"},
    {"quicktime/sony/bprl/mxf/umid", "mov", "Sony"},
    {"exr/com.arri.camera.ArriUuid", "exr", "ARRI"},
    {"r3d/reel_id_full", "r3d", "RED"},
    {"arri/camera/CameraClipName", "mxf", "ARRI"},
    {"arri/camera/CameraClipName", "ari", "ARRI"},
}};

constexpr std::size_t keyBufferSize = 128;

bool isImageSequenceExtension(const std::string& extension) {
    return extension == "exr" || extension == "dpx";
}

} // namespace

bool clipFileExtension(const std::string& filePath, std::string& extension) {
    std::string result = fs::path(filePath).extension().string();
    boost::algorithm::erase_all(result, ".");
    boost::algorithm::to_lower(result);
    if (result.empty()) {
        return false;
    }
    extension = result;
    return true;
}

bool cameraManufacturer(const ReadMetadata& metadata, const std::string& extension,
                        std::string& manufacturer) {
    for (const ManufacturerRow& row : manufacturerRows) {
        if (extension == row.extension && metadata.hasKey(row.key)) {
            manufacturer = row.manufacturer;
            return true;
        }
    }
    return false;
}

bool originalClipFileName(const ReadMetadata& metadata, const std::string& filePath,
                          bool& unsupported, std::string& clipFileName) {
    unsupported = false;
    std::string extension;
    if (!clipFileExtension(filePath, extension)) {
        return false;
    }
    std::string manufacturer;
    if (!cameraManufacturer(metadata, extension, manufacturer)) {
        unsupported = true;
        return false;
    }
    std::array<char, keyBufferSize> key{};
    if (!Core::Core::metadataKeyForClipFileName(manufacturer.c_str(), extension.c_str(),
                                                key.data(), key.size())) {
        unsupported = true;
        return false;
    }
    return metadata.text(key.data(), clipFileName);
}

bool clipFilePath(const ReadMetadata& metadata, const std::string& filePath,
                  std::string& clipPath) {
    if (filePath.empty()) {
        return false;
    }
    const fs::path path(filePath);
    bool unsupported = false;
    std::string name;
    if (originalClipFileName(metadata, filePath, unsupported, name)) {
        clipPath = (path.parent_path() / name).string();
        return true;
    }
    if (!unsupported) {
        return false;
    }
    std::string extension;
    if (clipFileExtension(filePath, extension) && isImageSequenceExtension(extension)) {
        const std::string fileName = path.filename().string();
        clipPath = (path.parent_path() / fileName.substr(0, fileName.find('.'))).string();
        return true;
    }
    clipPath = filePath;
    return true;
}

void modifyR3dTimecodeIfNeeded(const ReadMetadata& metadata, std::string& timecode) {
    double rate = 0.0;
    if (!metadata.number("r3d/framerate", rate) || rate < 0.0 || rate <= 30.0 || rate > 60.0) {
        return;
    }
    if (timecode.size() >= 3) {
        const std::size_t end = timecode.size();
        const int count = (timecode[end - 2] - '0') * 10 + (timecode[end - 1] - '0');
        const int doubled = 2 * count + (timecode[end - 3] == ':' ? 1 : 0);
        std::array<char, 8> digits{};
        std::snprintf(digits.data(), digits.size(), "%02d", doubled % 100);
        timecode.replace(end - 2, 2, digits.data());
    }
    boost::algorithm::replace_all(timecode, ".", ":");
}

bool timecode(const ReadMetadata& metadata, const std::string& extension, bool& unsupported,
              std::string& value) {
    std::string manufacturer;
    if (!cameraManufacturer(metadata, extension, manufacturer)) {
        unsupported = true;
        return false;
    }
    std::array<char, keyBufferSize> key{};
    if (!Core::Core::metadataKeyForTimecode(manufacturer.c_str(), extension.c_str(), key.data(),
                                            key.size())) {
        unsupported = true;
        return false;
    }
    if (!metadata.text(key.data(), value)) {
        return false;
    }
    if (extension == "r3d") {
        modifyR3dTimecodeIfNeeded(metadata, value);
    }
    return true;
}

bool frameNumber(const ReadMetadata& metadata, double firstFrame, unsigned int& number) {
    double frame = 0.0;
    if (!metadata.number("input/frame", frame) || !(frame >= 0.0) || frame < firstFrame ||
        !(frame - firstFrame < 4294967296.0)) {
        return false;
    }
    number = static_cast<unsigned int>(frame - firstFrame);
    return true;
}

bool frameNumberAndTimecode(const ReadMetadata& metadata, const std::string& filePath,
                            double firstFrame, unsigned int& number, std::string& timecode) {
    std::string extension;
    if (filePath.empty() || !clipFileExtension(filePath, extension)) {
        return false;
    }
    bool unsupported = false;
    std::string cameraTimecode;
    const bool found = ReadMetadataRules::timecode(metadata, extension, unsupported, cameraTimecode);
    if (!found && !unsupported) {
        return false;
    }
    unsigned int frame = 0;
    if (!frameNumber(metadata, firstFrame, frame)) {
        return false;
    }
    timecode.clear();
    if (found) {
        timecode = cameraTimecode;
        number = extension == "r3d" ? frame : 0;
        return true;
    }
    std::string inputTimecode;
    if (isImageSequenceExtension(extension) && metadata.text("input/timecode", inputTimecode) &&
        !inputTimecode.empty()) {
        timecode = inputTimecode;
        number = 0;
        return true;
    }
    number = frame;
    return true;
}

bool jsonMetadataString(const ReadMetadata& metadata, const std::string& filePath,
                        std::string& json) {
    std::string extension;
    if (filePath.empty() || !clipFileExtension(filePath, extension) || extension != "exr") {
        return false;
    }
    return metadata.text("exr/com.velor.LensCorrection", json);
}

} // namespace ReadMetadataRules
