#include "correction_data/ContainerManager.h"

#include "correction_data/FileMismatchException.h"

#include <utility>

namespace CorrectionData {

namespace {

void throwUnlessContentNamesClip(const std::string& clipFileName,
                                 const std::string& correctionFilePath, const Content& content) {
    const auto& clip = content.header.clip;
    if (clipFileName != clip.videoFileName && clipFileName != clip.name) {
        throw FileMismatchException(clipFileName, correctionFilePath, clip.videoFileName);
    }
}

} // namespace

ContainerManager::ContainerManager(std::unique_ptr<ContainerManagerDataSource> dataSource_,
                                   unsigned int capacity)
    : dataSource(std::move(dataSource_)), cache(capacity) {}

void ContainerManager::shareContent(const std::string& clipFilePath,
                                    std::shared_ptr<Content>& content) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (cache.cachedContentForClipFilePath(clipFilePath, content)) {
        return;
    }
    std::string correctionFilePath;
    Content parsed;
    dataSource->content(clipFilePath, correctionFilePath, parsed);
    const auto shared = std::make_shared<Content>(std::move(parsed));
    cache.cacheContent(clipFilePath, correctionFilePath, shared);
    content = shared;
}

void ContainerManager::shareContent(const std::string& clipFileName,
                                    const std::string& correctionFilePath,
                                    std::shared_ptr<Content>& content) {
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<Content> cached;
    if (cache.cachedContentForCorrectionFilePath(correctionFilePath, cached)) {
        throwUnlessContentNamesClip(clipFileName, correctionFilePath, *cached);
        content = cached;
        return;
    }
    Content parsed;
    dataSource->content(correctionFilePath, parsed);
    throwUnlessContentNamesClip(clipFileName, correctionFilePath, parsed);
    const auto shared = std::make_shared<Content>(std::move(parsed));
    cache.cacheContent(correctionFilePath, shared);
    content = shared;
}

} // namespace CorrectionData
