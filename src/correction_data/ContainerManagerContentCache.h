#pragma once

#include "correction_data/Content.h"

#include <map>
#include <memory>
#include <queue>
#include <string>

namespace CorrectionData {

// Parsed correction files keyed by their path, with the clip paths they were
// found for. Evicts first-in first-out by caching event: once more than
// `capacity` cachings are queued, the oldest path is dropped with all its clip
// entries, even if it was cached again since. Capacity 0 never evicts.
// Not synchronised: ContainerManager guards it.
class ContainerManagerContentCache {
public:
    explicit ContainerManagerContentCache(unsigned int capacity);

    bool cachedContentForCorrectionFilePath(const std::string& correctionFilePath,
                                            std::shared_ptr<Content>& content) const;
    bool cachedContentForClipFilePath(const std::string& clipFilePath,
                                      std::shared_ptr<Content>& content) const;
    // The correction file path found for the clip; false when none is cached.
    bool correctionFilePathForClipFilePath(const std::string& clipFilePath,
                                           std::string& correctionFilePath) const;

    void cacheContent(const std::string& correctionFilePath,
                      const std::shared_ptr<Content>& content);
    void cacheContent(const std::string& clipFilePath, const std::string& correctionFilePath,
                      const std::shared_ptr<Content>& content);

    void removeAllDataRelatedToCorrectionFilePath(const std::string& correctionFilePath);
    void removeAllDataRelatedToCorrectionFilePathsWithLowPriority();

private:
    unsigned int capacity;
    std::map<std::string, std::shared_ptr<Content>> contentByCorrectionFilePath;
    std::map<std::string, std::string> correctionFilePathByClipFilePath;
    std::queue<std::string> insertionOrder;
};

} // namespace CorrectionData
