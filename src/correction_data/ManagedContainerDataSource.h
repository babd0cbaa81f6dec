#pragma once

#include "correction_data/Content.h"

#include <memory>
#include <string>

namespace CorrectionData {

// Where a managed container obtains shared, parsed correction files. Each
// request fills `content` or throws an Exception; content read from a file is
// handed out only while the file is unchanged on disk.
class ManagedContainerDataSource {
public:
    virtual ~ManagedContainerDataSource() = default;

    // The correction file found for the clip at clipFilePath.
    virtual void shareContent(const std::string& clipFilePath,
                              std::shared_ptr<Content>& content) = 0;
    // The given correction file, which must name the clip clipFileName.
    virtual void shareContent(const std::string& clipFileName,
                              const std::string& correctionFilePath,
                              std::shared_ptr<Content>& content) = 0;

    // Forget the file found for the clip, with its content, so that the next
    // request searches again.
    virtual void forgetClip(const std::string& clipFilePath) = 0;
    // Forget the content of the given correction file, so that it is read again.
    virtual void forgetCorrectionFile(const std::string& correctionFilePath) = 0;

protected:
    ManagedContainerDataSource() = default;
    ManagedContainerDataSource(const ManagedContainerDataSource&) = default;
    ManagedContainerDataSource& operator=(const ManagedContainerDataSource&) = default;
};

} // namespace CorrectionData
