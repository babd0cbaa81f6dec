#include "core/ExtendedManagedContainer.h"

#include "foundation/Exception.h"
#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"

#include <map>
#include <vector>

namespace Core {

namespace {

using RecordingFormatDatabase::RecordingFormat;

RecordingFormat formatFromHeader(const CorrectionData::Header& header) {
    RecordingFormat format;
    format.sensorWidth = header.camera.sensorWidth;
    format.pixelWidth = header.clip.width;
    format.pixelHeight = header.clip.height;
    if (header.clip.width != 0 && header.clip.height != 0 && format.sensorWidth > 0.0F) {
        format.sensorHeight =
            (static_cast<float>(header.clip.height) / static_cast<float>(header.clip.width)) *
            format.sensorWidth;
        format.sensorRadius =
            RecordingFormatDatabase::sensorRadiusFor(format.sensorWidth, format.sensorHeight);
    }
    return format;
}

// The single format of the camera whose resolution or sensor width is the
// header's; false when there is none, several, or the camera is unknown.
bool uniqueTableFormat(const CorrectionData::Header& header, RecordingFormat& format) {
    std::map<std::string, RecordingFormat> formats;
    try {
        RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase::sharedInstance()
            ->recordingFormats(header.camera.manufacturer, header.camera.model, formats);
    } catch (const Exception&) {
        return false;
    }
    std::vector<RecordingFormat> matches;
    for (const auto& entry : formats) {
        const RecordingFormat& candidate = entry.second;
        const bool sameResolution = candidate.pixelWidth == header.clip.width &&
                                    candidate.pixelHeight == header.clip.height;
        if (sameResolution || candidate.sensorWidth == header.camera.sensorWidth) {
            matches.push_back(candidate);
        }
    }
    if (matches.size() != 1) {
        return false;
    }
    format = matches.front();
    return true;
}

} // namespace

ExtendedManagedContainer::ExtendedManagedContainer(const std::string& json)
    : ManagedContainer(json) {}

ExtendedManagedContainer::ExtendedManagedContainer(
    const std::string& clipPath,
    const std::shared_ptr<CorrectionData::ManagedContainerDataSource>& source)
    : ManagedContainer(clipPath, source) {}

ExtendedManagedContainer::ExtendedManagedContainer(
    const std::string& clipName, const std::string& correctionPath,
    const std::shared_ptr<CorrectionData::ManagedContainerDataSource>& source)
    : ManagedContainer(clipName, correctionPath, source) {}

RecordingFormat ExtendedManagedContainer::recordingFormat() {
    CorrectionData::Header header;
    headerData(header);
    const CorrectionData::SourceFile source = sourceOfLastLookup();
    const std::lock_guard<std::mutex> lock(recordingFormatMutex);
    if (!hasDerivedRecordingFormat || !source.isSameFileAs(derivedFrom)) {
        derivedRecordingFormat = formatFromHeader(header);
        const bool derived = derivedRecordingFormat.sensorRadius > 0.0F;
        const bool cameraNamed =
            !header.camera.manufacturer.empty() && !header.camera.model.empty();
        RecordingFormat fromTable;
        if (!derived && cameraNamed && uniqueTableFormat(header, fromTable)) {
            derivedRecordingFormat = fromTable;
        }
        derivedFrom = source;
        hasDerivedRecordingFormat = true;
    }
    return derivedRecordingFormat;
}

bool ExtendedManagedContainer::isBoundTo(const ClipBinding& binding) const {
    if (binding.explicitFile) {
        return boundJsonString().empty() && boundClipFilePath().empty() &&
               boundCorrectionFilePath() == binding.correctionFilePath &&
               boundClipFileName() == binding.clipFileName;
    }
    if (binding.hasFrameMetadata) {
        return boundJsonString() == binding.frameMetadata;
    }
    return boundJsonString().empty() && boundClipFilePath() == binding.clipFilePath;
}

} // namespace Core
