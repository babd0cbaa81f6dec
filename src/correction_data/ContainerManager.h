#pragma once

#include "correction_data/ContainerManagerContentCache.h"
#include "correction_data/ContainerManagerDataSource.h"
#include "correction_data/ManagedContainerDataSource.h"

#include <memory>
#include <mutex>
#include <string>

namespace CorrectionData {

// Shares parsed correction files between all containers of the process: asks
// its data source only on a cache miss and caches what it gets. A cached file
// that changed on disk is read again; one that was deleted is an error. Each
// request runs under one lock, so no caller sees a half-updated cache; a failed
// request caches nothing.
class ContainerManager : public ManagedContainerDataSource {
public:
    ContainerManager(std::unique_ptr<ContainerManagerDataSource> dataSource, unsigned int capacity);

    void shareContent(const std::string& clipFilePath, std::shared_ptr<Content>& content) override;
    // Throws FileMismatchException when the file names neither clipFileName as
    // its video file name nor as its clip name.
    void shareContent(const std::string& clipFileName, const std::string& correctionFilePath,
                      std::shared_ptr<Content>& content) override;

    void forgetClip(const std::string& clipFilePath) override;
    void forgetCorrectionFile(const std::string& correctionFilePath) override;

private:
    // The cached content of correctionFilePath if its file is unchanged, else
    // the file read again (`readAgain` set, the path no longer cached); null
    // when nothing is cached for the path.
    std::shared_ptr<Content> currentCachedContent(const std::string& correctionFilePath,
                                                  bool& readAgain);

    std::unique_ptr<ContainerManagerDataSource> dataSource;
    ContainerManagerContentCache cache;
    std::mutex mutex;
};

} // namespace CorrectionData
