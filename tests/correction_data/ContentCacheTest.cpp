#include "correction_data/ContainerManagerContentCache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using CorrectionData::ContainerManagerContentCache;
using CorrectionData::Content;

namespace {

std::shared_ptr<Content> contentNamed(const std::string& name) {
    auto content = std::make_shared<Content>();
    content->header.clip.name = name;
    return content;
}

// Keys below /clips/ are clip paths, all others correction file paths.
std::shared_ptr<Content> lookUp(const ContainerManagerContentCache& cache, const std::string& key) {
    std::shared_ptr<Content> found = contentNamed("sentinel");
    const bool hit = key.rfind("/clips/", 0) == 0
                         ? cache.cachedContentForClipFilePath(key, found)
                         : cache.cachedContentForCorrectionFilePath(key, found);
    EXPECT_EQ(hit, found->header.clip.name != "sentinel") << key << ": output touched on a miss";
    return hit ? found : nullptr;
}

} // namespace

TEST(ContentCache, EvictsFirstInFirstOutByCachingWithAllClipEntries) {
    struct Step {
        const char* clip; // empty: cached by correction file path only
        const char* path;
        std::vector<const char*> present;
        std::vector<const char*> gone;
    };
    // Capacity 2; the comments show the queue of cachings after the step.
    const std::vector<Step> steps{
        {"/clips/a1.mov", "/a.vlcf", {"/a.vlcf", "/clips/a1.mov"}, {}}, // A
        {"", "/b.vlcf", {"/a.vlcf", "/clips/a1.mov", "/b.vlcf"}, {}},   // A B
        // The older A goes, and with it both clips of A.
        {"/clips/a2.mov", "/a.vlcf", {"/b.vlcf"}, {"/a.vlcf", "/clips/a1.mov", "/clips/a2.mov"}},
        {"", "/c.vlcf", {"/c.vlcf"}, {"/b.vlcf"}},            // B A C: B goes, stale A stays queued
        {"", "/d.vlcf", {"/c.vlcf", "/d.vlcf"}, {}},          // A C D: stale A removes nothing
        {"", "/e.vlcf", {"/d.vlcf", "/e.vlcf"}, {"/c.vlcf"}}, // C D E
    };
    ContainerManagerContentCache cache(2);
    for (std::size_t step = 0; step < steps.size(); ++step) {
        const Step& s = steps[step];
        const std::string name = std::string(s.path) + " " + std::to_string(step);
        if (*s.clip != '\0') {
            cache.cacheContent(s.clip, s.path, contentNamed(name));
        } else {
            cache.cacheContent(s.path, contentNamed(name));
        }
        for (const char* key : s.present) {
            EXPECT_NE(lookUp(cache, key), nullptr) << "step " << step << ": " << key;
        }
        for (const char* key : s.gone) {
            EXPECT_EQ(lookUp(cache, key), nullptr) << "step " << step << ": " << key;
        }
    }
}

TEST(ContentCache, ClipsSharingAPathGoWithItAndCapacityZeroNeverEvicts) {
    ContainerManagerContentCache cache(10);
    cache.cacheContent("/clips/x.mov", "/shared.vlcf", contentNamed("first"));
    const auto second = contentNamed("second");
    cache.cacheContent("/clips/y.mov", "/shared.vlcf", second);
    EXPECT_EQ(lookUp(cache, "/clips/x.mov"), second);
    cache.removeAllDataRelatedToCorrectionFilePath("/shared.vlcf");
    EXPECT_EQ(lookUp(cache, "/clips/x.mov"), nullptr);
    EXPECT_EQ(lookUp(cache, "/clips/y.mov"), nullptr);

    ContainerManagerContentCache unlimited(0);
    for (int index = 0; index < 50; ++index) {
        unlimited.cacheContent("/" + std::to_string(index), contentNamed("X"));
    }
    EXPECT_NE(lookUp(unlimited, "/0"), nullptr);
}

TEST(ContentCache, EvictedContentIsFreedWhenNoOneHoldsIt) {
    ContainerManagerContentCache cache(1);
    auto content = contentNamed("A");
    const std::weak_ptr<Content> watched = content;
    cache.cacheContent("/a.vlcf", content);
    content.reset();
    EXPECT_FALSE(watched.expired());
    cache.cacheContent("/b.vlcf", contentNamed("B"));
    EXPECT_TRUE(watched.expired());
}
