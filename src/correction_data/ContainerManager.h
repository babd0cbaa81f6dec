#pragma once

#include "correction_data/ContainerManagerContentCache.h"
#include "correction_data/ContainerManagerDataSource.h"
#include "correction_data/ManagedContainerDataSource.h"

#include <memory>
#include <mutex>
#include <string>

namespace CorrectionData {

// Shares parsed correction files between all containers of the process: asks
// its data source only on a cache miss and caches what it gets. Each request
// runs under one lock, so no caller sees a half-updated cache; a failed
// request caches nothing.
class ContainerManager : public ManagedContainerDataSource {
public:
    ContainerManager(std::unique_ptr<ContainerManagerDataSource> dataSource, unsigned int capacity);

    void shareContent(const std::string& clipFilePath, std::shared_ptr<Content>& content) override;
    // Throws FileMismatchException when the file names neither clipFileName as
    // its video file name nor as its clip name.
    void shareContent(const std::string& clipFileName, const std::string& correctionFilePath,
                      std::shared_ptr<Content>& content) override;

private:
    std::unique_ptr<ContainerManagerDataSource> dataSource;
    ContainerManagerContentCache cache;
    std::mutex mutex;
};

} // namespace CorrectionData
