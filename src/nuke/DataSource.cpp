#include "nuke/DataSource.h"

#include "host_rules/FrameGeometry.h"
#include "host_rules/ReadMetadataRules.h"
#include "nuke/DataSourceHelper.h"
#include "nuke/LensCorrection.h"

#include <boost/filesystem/path.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const int overscanLocationFormat = 1;

// Copies the text with its terminating zero only when all of it fits.
bool copyToBuffer(const std::string& text, char* buffer, size_t size) {
    if (buffer == nullptr || text.size() + 1 > size) {
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

std::uint32_t nonNegative(int value) {
    return static_cast<std::uint32_t>(std::max(value, 0));
}

} // namespace

bool DataSource::frameMetadata(char* buffer, size_t size) const {
    std::string json;
    return DataSourceHelper::jsonMetadataString(node_, json) && copyToBuffer(json, buffer, size);
}

bool DataSource::correctionFilePath(char* buffer, size_t size) const {
    const std::string path = node_->correctionFilePath();
    return !path.empty() && copyToBuffer(path, buffer, size);
}

bool DataSource::clipFileName(char* buffer, size_t size) const {
    std::string path;
    if (!DataSourceHelper::clipFilePath(node_, path)) {
        return false;
    }
    const std::string name = boost::filesystem::path(path).filename().string();
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return copyToBuffer(name, buffer, size);
}

bool DataSource::clipFilePath(char* buffer, size_t size) const {
    std::string path;
    return DataSourceHelper::clipFilePath(node_, path) && copyToBuffer(path, buffer, size);
}

bool DataSource::frameData(Core::FrameData& frameData) const {
    unsigned int frameNumber = 0;
    std::string timecode;
    if (!DataSourceHelper::frameNumberAndTimecode(node_, frameNumber, timecode) ||
        !ReadMetadataRules::timecodeFitsFrameData(timecode)) {
        return false;
    }
    frameData.frameNumber = frameNumber;
    frameData.frameRate = 0.0F;
    std::memcpy(frameData.timecode, timecode.c_str(), timecode.size() + 1);
    frameData.width = nonNegative(node_->info().box().w());
    frameData.height = nonNegative(node_->info().box().h());
    frameData.overscan = overscan();
    return true;
}

// How far the frame's half-diagonal reaches beyond that of the area without
// overscan, in percent; 0 for a frame too small to tell.
float DataSource::overscan() const {
    const double frameWidth = node_->frameWidthWithOriginalAspectRatio();
    const double frameHeight = node_->frameHeightWithOriginalAspectRatio();
    if (node_->overscanLocation() == overscanLocationFormat) {
        const DD::Image::Format& format =
            node_->isImageInputConnected() ? node_->imageInput()->format() : node_->format();
        const float amount = node_->overscanAmount();
        return FrameGeometry::overscanBeyond(
            frameWidth, frameHeight,
            static_cast<double>(FrameGeometry::remainingSide(format.w(), amount)),
            static_cast<double>(FrameGeometry::remainingSide(format.h(), amount)));
    }
    // The format's area (r - x by t - y), as the frame size is measured.
    return FrameGeometry::overscanBeyond(frameWidth, frameHeight, node_->format().w(),
                                         node_->format().h());
}

bool DataSource::recordingFormat(RecordingFormatDatabase::RecordingFormat& format) const {
    if (!node_->isRecordingFormatManuallySelected()) {
        return false;
    }
    format.sensorWidth = node_->imageAreaWidth();
    format.sensorHeight = node_->imageAreaHeight();
    format.pixelWidth = nonNegative(node_->clipWidth());
    format.pixelHeight = nonNegative(node_->clipHeight());
    format.sensorRadius = static_cast<float>(node_->imageDiameter() / 2.0);
    return true;
}
