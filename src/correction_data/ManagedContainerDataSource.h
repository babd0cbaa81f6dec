#pragma once

#include "correction_data/Content.h"

#include <memory>
#include <string>

namespace CorrectionData {

// Where a managed container obtains shared, parsed correction files. Each
// operation fills `content` or throws an Exception.
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

protected:
    ManagedContainerDataSource() = default;
    ManagedContainerDataSource(const ManagedContainerDataSource&) = default;
    ManagedContainerDataSource& operator=(const ManagedContainerDataSource&) = default;
};

} // namespace CorrectionData
