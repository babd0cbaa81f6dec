#pragma once

#include "correction_data/ManagedContainer.h"
#include "recording_format_database/RecordingFormat.h"

#include <memory>
#include <mutex>
#include <string>

namespace Core {

// The identifying data of a clip as the host delivers it; which of the texts
// count depends on the mode they select.
struct ClipBinding {
    std::string correctionFilePath;
    std::string clipFileName;
    std::string frameMetadata;
    std::string clipFilePath;
    bool explicitFile = false;
    bool hasFrameMetadata = false;
};

// A managed container that also derives the clip's recording format from its
// correction data, once per file read.
class ExtendedManagedContainer : public CorrectionData::ManagedContainer {
public:
    explicit ExtendedManagedContainer(const std::string& jsonString);
    ExtendedManagedContainer(
        const std::string& clipFilePath,
        const std::shared_ptr<CorrectionData::ManagedContainerDataSource>& dataSource);
    ExtendedManagedContainer(
        const std::string& clipFileName, const std::string& correctionFilePath,
        const std::shared_ptr<CorrectionData::ManagedContainerDataSource>& dataSource);

    // From the header when it gives the sensor width and clip resolution, else
    // the one table entry of the camera that matches them; otherwise the
    // header's values with zero height and radius.
    RecordingFormatDatabase::RecordingFormat recordingFormat();

    // Whether the container serves exactly this data, so it can stay in use.
    bool isBoundTo(const ClipBinding& binding) const;

private:
    std::mutex recordingFormatMutex;
    bool hasDerivedRecordingFormat = false;
    CorrectionData::SourceFile derivedFrom;
    RecordingFormatDatabase::RecordingFormat derivedRecordingFormat;
};

} // namespace Core
