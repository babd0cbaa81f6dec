#include "correction_data/ContainerManager.h"

#include "correction_data/FileMismatchException.h"
#include "foundation/Exception.h"

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

std::shared_ptr<Content>
ContainerManager::currentCachedContent(const std::string& correctionFilePath, bool& readAgain) {
    readAgain = false;
    std::shared_ptr<Content> cached;
    if (!cache.cachedContentForCorrectionFilePath(correctionFilePath, cached)) {
        return nullptr;
    }
    const SourceFile& source = cached->source;
    if (source.isUnchangedOnDisk()) {
        return cached;
    }
    // Nothing stale is served: a failure below leaves the path uncached.
    cache.removeAllDataRelatedToCorrectionFilePath(correctionFilePath);
    SourceFile now;
    if (!SourceFile::examine(source.examinedPath, now)) {
        throw Exception("The correction file was deleted or moved after it was read. Restore "
                        "it, or reload the correction data to search for the clip's file again.",
                        "Correction File Path: \"" + source.path + "\"");
    }
    Content parsed;
    dataSource->content(correctionFilePath, parsed);
    readAgain = true;
    return std::make_shared<Content>(std::move(parsed));
}

void ContainerManager::shareContent(const std::string& clipFilePath,
                                    std::shared_ptr<Content>& content) {
    const std::lock_guard<std::mutex> lock(mutex);
    std::string correctionFilePath;
    if (cache.correctionFilePathForClipFilePath(clipFilePath, correctionFilePath)) {
        bool readAgain = false;
        const auto shared = currentCachedContent(correctionFilePath, readAgain);
        if (shared) {
            if (readAgain) {
                cache.cacheContent(clipFilePath, correctionFilePath, shared);
            }
            content = shared;
            return;
        }
    }
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
    bool readAgain = false;
    std::shared_ptr<Content> shared = currentCachedContent(correctionFilePath, readAgain);
    const bool cached = shared && !readAgain;
    if (!shared) {
        Content parsed;
        dataSource->content(correctionFilePath, parsed);
        shared = std::make_shared<Content>(std::move(parsed));
    }
    throwUnlessContentNamesClip(clipFileName, correctionFilePath, *shared);
    if (!cached) {
        cache.cacheContent(correctionFilePath, shared);
    }
    content = shared;
}

void ContainerManager::forgetClip(const std::string& clipFilePath) {
    const std::lock_guard<std::mutex> lock(mutex);
    std::string correctionFilePath;
    if (cache.correctionFilePathForClipFilePath(clipFilePath, correctionFilePath)) {
        cache.removeAllDataRelatedToCorrectionFilePath(correctionFilePath);
    }
}

void ContainerManager::forgetCorrectionFile(const std::string& correctionFilePath) {
    const std::lock_guard<std::mutex> lock(mutex);
    cache.removeAllDataRelatedToCorrectionFilePath(correctionFilePath);
}

} // namespace CorrectionData
