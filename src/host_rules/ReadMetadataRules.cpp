#include "host_rules/ReadMetadataRules.h"

#include "core/Core.h"
#include "core/FrameData.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>

namespace ReadMetadataRules {

namespace {

const char* const inputFrameKey = "input/frame";
const char* const inputTimecodeKey = "input/timecode";
const char* const r3dFramerateKey = "r3d/framerate";
const char* const jsonMetadataKey = "exr/com.velor.LensCorrection";

// The metadata key whose presence proves a camera manufacturer for a container.
struct ManufacturerEvidence {
    const char* key;
    const char* extension;
    const char* manufacturer;
};

const ManufacturerEvidence manufacturerEvidence[] = {
    {"quicktime/red/camera/ClipFilename", "mov", "RED"},
    {"quicktime/arri/camera/CameraClipName", "mov", "ARRI"},
    {"quicktime/sony/bprl/mxf/umid", "mov", "Sony"},
    {"exr/com.arri.camera.ArriUuid", "exr", "ARRI"},
    {"r3d/reel_id_full", "r3d", "RED"},
    {"arri/camera/CameraClipName", "mxf", "ARRI"},
    {"arri/camera/CameraClipName", "ari", "ARRI"},
};

// Size of the buffer for a metadata key from the core.
const size_t metadataKeyBufferSize = 128;

bool isImageSequenceExtension(const std::string& extension) {
    return extension == "exr" || extension == "dpx";
}

bool isDigit(char character) {
    return std::isdigit(static_cast<unsigned char>(character)) != 0;
}

} // namespace

bool clipFileExtension(const boost::filesystem::path& clipFilePath, std::string& extension) {
    // A copy: string() refers into the temporary path that extension() returns.
    const std::string suffix = clipFilePath.extension().string();
    std::string result;
    for (const char character : suffix) {
        if (character != '.') {
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
        }
    }
    if (result.empty()) {
        return false;
    }
    extension = result;
    return true;
}

bool cameraManufacturer(const ReadMetadata& metadata, const std::string& extension,
                        std::string& manufacturer) {
    for (const ManufacturerEvidence& evidence : manufacturerEvidence) {
        std::string ignored;
        if (extension == evidence.extension && metadata.text(evidence.key, ignored)) {
            manufacturer = evidence.manufacturer;
            return true;
        }
    }
    return false;
}

bool originalClipFileName(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                          bool& unsupported, std::string& name) {
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
    char key[metadataKeyBufferSize] = {};
    if (!Core::Core::metadataKeyForClipFileName(manufacturer.c_str(), extension.c_str(), key,
                                                sizeof key)) {
        unsupported = true;
        return false;
    }
    std::string value;
    // An empty name would make the clip's directory pass for the clip.
    if (!metadata.text(key, value) || value.empty()) {
        return false;
    }
    name = value;
    return true;
}

bool clipFilePath(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                  std::string& clipFilePath) {
    bool unsupported = false;
    std::string name;
    if (originalClipFileName(metadata, filePath, unsupported, name)) {
        clipFilePath = (filePath.parent_path() / name).string();
        return true;
    }
    if (!unsupported) {
        return false;
    }
    std::string extension;
    if (clipFileExtension(filePath, extension) && isImageSequenceExtension(extension)) {
        // A frame of an image sequence: the sequence is named by what precedes the first dot.
        const std::string fileName = filePath.filename().string();
        clipFilePath = (filePath.parent_path() / fileName.substr(0, fileName.find('.'))).string();
        return true;
    }
    clipFilePath = filePath.string();
    return true;
}

bool r3dFramerate(const ReadMetadata& metadata, float& rate) {
    double value = 0.0;
    if (!metadata.number(r3dFramerateKey, value)) {
        return false;
    }
    rate = static_cast<float>(value);
    return true;
}

void modifyR3dTimecodeIfNeeded(const ReadMetadata& metadata, std::string& timecode) {
    float rate = 0.0F;
    if (!r3dFramerate(metadata, rate) || !(rate > 30.0F && rate <= 60.0F)) {
        return;
    }
    // RED counts a high-rate clip's timecode in pairs of frames; the separator
    // before the frame count tells the second frame of a pair (":") from the
    // first ("."). Texts too short to hold that, or without a two-digit count,
    // are left as they are.
    const size_t length = timecode.size();
    if (length < 3 || !isDigit(timecode[length - 2]) || !isDigit(timecode[length - 1])) {
        return;
    }
    const unsigned pairs =
        static_cast<unsigned>((timecode[length - 2] - '0') * 10 + (timecode[length - 1] - '0'));
    const unsigned frames = 2 * pairs + (timecode[length - 3] == ':' ? 1 : 0);
    char count[8] = {};
    std::snprintf(count, sizeof count, "%02u", frames);
    std::string result = timecode.substr(0, length - 2) + count;
    std::replace(result.begin(), result.end(), '.', ':');
    timecode = result;
}

bool timecode(const ReadMetadata& metadata, const std::string& extension, bool& unsupported,
              std::string& timecode) {
    std::string manufacturer;
    if (!cameraManufacturer(metadata, extension, manufacturer)) {
        unsupported = true;
        return false;
    }
    char key[metadataKeyBufferSize] = {};
    if (!Core::Core::metadataKeyForTimecode(manufacturer.c_str(), extension.c_str(), key,
                                            sizeof key)) {
        unsupported = true;
        return false;
    }
    std::string value;
    if (!metadata.text(key, value)) {
        return false;
    }
    if (extension == "r3d") {
        modifyR3dTimecodeIfNeeded(metadata, value);
    }
    timecode = value;
    return true;
}

bool frameNumber(const ReadMetadata& metadata, int firstFrame, unsigned int& frameNumber) {
    double frame = 0.0;
    if (!metadata.number(inputFrameKey, frame)) {
        return false;
    }
    // Also refuses a frame that is not a number or beyond what the core can count.
    const double counted = frame - static_cast<double>(firstFrame);
    if (!(frame >= 0.0) || !(counted >= 0.0) ||
        counted > static_cast<double>(std::numeric_limits<unsigned int>::max())) {
        return false;
    }
    frameNumber = static_cast<unsigned int>(counted);
    return true;
}

bool frameNumberAndTimecode(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                            int firstFrame, unsigned int& frameNumber, std::string& timecode) {
    std::string extension;
    if (!clipFileExtension(filePath, extension)) {
        return false;
    }
    bool unsupported = false;
    std::string cameraTimecode;
    const bool cameraTimecodeFound =
        ReadMetadataRules::timecode(metadata, extension, unsupported, cameraTimecode);
    if (!cameraTimecodeFound && !unsupported) {
        return false;
    }
    unsigned int number = 0;
    if (!ReadMetadataRules::frameNumber(metadata, firstFrame, number)) {
        return false;
    }
    std::string result;
    if (cameraTimecodeFound) {
        result = cameraTimecode;
        // RED's key holds the clip's start timecode, to which the frame number
        // is added; the others hold the frame's own timecode.
        if (extension != "r3d") {
            number = 0;
        }
    } else if (isImageSequenceExtension(extension)) {
        std::string inputTimecode;
        if (metadata.text(inputTimecodeKey, inputTimecode) && !inputTimecode.empty()) {
            result = inputTimecode;
            number = 0;
        }
    }
    frameNumber = number;
    timecode = result;
    return true;
}

bool timecodeFitsFrameData(const std::string& timecode) {
    return timecode.size() < sizeof(Core::FrameData::timecode);
}

bool jsonMetadataString(const ReadMetadata& metadata, const boost::filesystem::path& filePath,
                        std::string& json) {
    std::string extension;
    if (!clipFileExtension(filePath, extension) || extension != "exr") {
        return false;
    }
    std::string value;
    if (!metadata.text(jsonMetadataKey, value) || value.empty()) {
        return false;
    }
    json = value;
    return true;
}

} // namespace ReadMetadataRules
