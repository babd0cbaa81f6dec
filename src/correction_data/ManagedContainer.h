#pragma once

#include "correction_data/Container.h"
#include "correction_data/Content.h"
#include "correction_data/ManagedContainerDataSource.h"

#include <memory>
#include <mutex>
#include <string>

namespace CorrectionData {

// A container bound to one clip in one of three ways, fixed at construction:
// - clip path: the data source finds the correction file near the clip;
// - explicit file: the data source reads the given correction file, which must
//   name the clip;
// - embedded JSON: the text is parsed once and holds a single frame, returned
//   for every frame number and timecode.
// In the file modes the content is shared and only weakly held: the data
// source's cache decides how long it lives. Content whose file changed on disk
// is asked of the data source again.
class ManagedContainer : public Container {
public:
    ManagedContainer(const std::string& clipFilePath,
                     const std::shared_ptr<ManagedContainerDataSource>& dataSource);
    ManagedContainer(const std::string& clipFileName, const std::string& correctionFilePath,
                     const std::shared_ptr<ManagedContainerDataSource>& dataSource);
    explicit ManagedContainer(const std::string& jsonString);

    void headerData(Header& header) override;
    // The frame with the largest number not above frameNumber.
    void frameData(unsigned int frameNumber, Frame& frame) override;
    // Counts frames from the first frame's own timecode, then looks up by number.
    void frameData(Timecode::Timecode timecode, Frame& frame) override;

    // The file that the last lookup's content was read from; no path for
    // embedded JSON or before the first lookup.
    SourceFile sourceOfLastLookup() const;
    // Forget the clip's found file or the given file's content, here and in the
    // shared cache, so that the next lookup searches or reads again.
    void forgetContent();

protected:
    const std::string& boundClipFilePath() const { return clipFilePath; }
    const std::string& boundClipFileName() const { return clipFileName; }
    const std::string& boundCorrectionFilePath() const { return correctionFilePath; }
    const std::string& boundJsonString() const { return jsonString; }

private:
    void sharedContent(std::shared_ptr<Content>& shared);
    // The shared content; a failure to obtain it goes to `fail`, which throws
    // the lookup's own exception with the failure's brief text as reason.
    template <typename Fail>
    std::shared_ptr<Content> sharedContentOrThrow(Fail fail);
    void parseJsonOnce();

    [[noreturn]] void throwException(const std::string& reason) const;
    [[noreturn]] void throwException(const std::string& reason, unsigned int frameNumber) const;
    [[noreturn]] void throwException(const std::string& reason,
                                     const Timecode::Timecode& timecode) const;
    std::string identityLines() const;

    std::string clipFilePath;
    std::string clipFileName;
    std::string correctionFilePath;
    std::string jsonString;
    std::shared_ptr<ManagedContainerDataSource> dataSource;
    std::weak_ptr<Content> content;
    SourceFile lastSource;
    std::once_flag jsonOnce;
    Header jsonHeader;
    Frame jsonFrame;
    mutable std::mutex contentMutex;
};

} // namespace CorrectionData
