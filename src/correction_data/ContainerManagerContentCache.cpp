#include "correction_data/ContainerManagerContentCache.h"

namespace CorrectionData {

ContainerManagerContentCache::ContainerManagerContentCache(unsigned int capacity_)
    : capacity(capacity_) {}

bool ContainerManagerContentCache::cachedContentForCorrectionFilePath(
    const std::string& correctionFilePath, std::shared_ptr<Content>& content) const {
    const auto entry = contentByCorrectionFilePath.find(correctionFilePath);
    if (entry == contentByCorrectionFilePath.end()) {
        return false;
    }
    content = entry->second;
    return true;
}

bool ContainerManagerContentCache::cachedContentForClipFilePath(
    const std::string& clipFilePath, std::shared_ptr<Content>& content) const {
    std::string correctionFilePath;
    return correctionFilePathForClipFilePath(clipFilePath, correctionFilePath) &&
           cachedContentForCorrectionFilePath(correctionFilePath, content);
}

bool ContainerManagerContentCache::correctionFilePathForClipFilePath(
    const std::string& clipFilePath, std::string& correctionFilePath) const {
    const auto entry = correctionFilePathByClipFilePath.find(clipFilePath);
    if (entry == correctionFilePathByClipFilePath.end()) {
        return false;
    }
    correctionFilePath = entry->second;
    return true;
}

void ContainerManagerContentCache::cacheContent(const std::string& correctionFilePath,
                                                const std::shared_ptr<Content>& content) {
    contentByCorrectionFilePath[correctionFilePath] = content;
    insertionOrder.push(correctionFilePath);
    removeAllDataRelatedToCorrectionFilePathsWithLowPriority();
}

void ContainerManagerContentCache::cacheContent(const std::string& clipFilePath,
                                                const std::string& correctionFilePath,
                                                const std::shared_ptr<Content>& content) {
    correctionFilePathByClipFilePath[clipFilePath] = correctionFilePath;
    cacheContent(correctionFilePath, content);
}

void ContainerManagerContentCache::removeAllDataRelatedToCorrectionFilePath(
    const std::string& correctionFilePath) {
    contentByCorrectionFilePath.erase(correctionFilePath);
    for (auto entry = correctionFilePathByClipFilePath.begin();
         entry != correctionFilePathByClipFilePath.end();) {
        if (entry->second == correctionFilePath) {
            entry = correctionFilePathByClipFilePath.erase(entry);
        } else {
            ++entry;
        }
    }
}

void ContainerManagerContentCache::removeAllDataRelatedToCorrectionFilePathsWithLowPriority() {
    if (capacity == 0) {
        return;
    }
    while (insertionOrder.size() > capacity) {
        const std::string oldest = insertionOrder.front();
        insertionOrder.pop();
        removeAllDataRelatedToCorrectionFilePath(oldest);
    }
}

} // namespace CorrectionData
