#include "correction_data/ContainerManagerContentCache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using CorrectionData::ContainerManagerContentCache;
using CorrectionData::Content;

namespace {

std::shared_ptr<Content> contentNamed(const std::string& name) {
    auto content = std::make_shared<Content>();
    content->header.clip.name = name;
    return content;
}

bool hasPath(const ContainerManagerContentCache& cache, const std::string& path) {
    std::shared_ptr<Content> content;
    return cache.cachedContentForCorrectionFilePath(path, content);
}

bool hasClip(const ContainerManagerContentCache& cache, const std::string& clip) {
    std::shared_ptr<Content> content;
    return cache.cachedContentForClipFilePath(clip, content);
}

} // namespace

TEST(ContentCache, LookupsFillOutputOnlyOnHit) {
    ContainerManagerContentCache cache(2);
    const auto a = contentNamed("A");
    cache.cacheContent("/clips/a.mov", "/a.vlcf", a);

    std::shared_ptr<Content> found;
    EXPECT_TRUE(cache.cachedContentForClipFilePath("/clips/a.mov", found));
    EXPECT_EQ(found, a);
    found.reset();
    EXPECT_TRUE(cache.cachedContentForCorrectionFilePath("/a.vlcf", found));
    EXPECT_EQ(found, a);

    const auto sentinel = contentNamed("sentinel");
    found = sentinel;
    EXPECT_FALSE(cache.cachedContentForClipFilePath("/clips/other.mov", found));
    EXPECT_FALSE(cache.cachedContentForCorrectionFilePath("/other.vlcf", found));
    EXPECT_EQ(found, sentinel);
}

TEST(ContentCache, EvictsOldestCachingWithItsClipEntries) {
    ContainerManagerContentCache cache(2);
    cache.cacheContent("/clips/a1.mov", "/a.vlcf", contentNamed("A"));
    cache.cacheContent("/b.vlcf", contentNamed("B"));
    cache.cacheContent("/c.vlcf", contentNamed("C"));
    EXPECT_FALSE(hasPath(cache, "/a.vlcf"));
    EXPECT_FALSE(hasClip(cache, "/clips/a1.mov"));
    EXPECT_TRUE(hasPath(cache, "/b.vlcf"));
    EXPECT_TRUE(hasPath(cache, "/c.vlcf"));
}

TEST(ContentCache, RecachedPathIsEvictedByItsOlderQueueEntry) {
    ContainerManagerContentCache cache(2);
    cache.cacheContent("/clips/a1.mov", "/a.vlcf", contentNamed("A"));
    cache.cacheContent("/b.vlcf", contentNamed("B"));
    // Queue: A B A. Three entries: the older A goes, and with it both clips of A.
    cache.cacheContent("/clips/a2.mov", "/a.vlcf", contentNamed("A again"));
    EXPECT_FALSE(hasPath(cache, "/a.vlcf"));
    EXPECT_FALSE(hasClip(cache, "/clips/a1.mov"));
    EXPECT_FALSE(hasClip(cache, "/clips/a2.mov"));
    EXPECT_TRUE(hasPath(cache, "/b.vlcf"));

    // Queue: B A C. B goes; the stale A entry stays queued.
    cache.cacheContent("/c.vlcf", contentNamed("C"));
    EXPECT_FALSE(hasPath(cache, "/b.vlcf"));
    EXPECT_TRUE(hasPath(cache, "/c.vlcf"));

    // Queue: A C D. The stale A entry is popped and removes nothing.
    cache.cacheContent("/d.vlcf", contentNamed("D"));
    EXPECT_TRUE(hasPath(cache, "/c.vlcf"));
    EXPECT_TRUE(hasPath(cache, "/d.vlcf"));

    // Queue: C D E. C goes.
    cache.cacheContent("/e.vlcf", contentNamed("E"));
    EXPECT_FALSE(hasPath(cache, "/c.vlcf"));
    EXPECT_TRUE(hasPath(cache, "/d.vlcf"));
    EXPECT_TRUE(hasPath(cache, "/e.vlcf"));
}

TEST(ContentCache, CapacityZeroNeverEvicts) {
    ContainerManagerContentCache cache(0);
    for (int index = 0; index < 500; ++index) {
        cache.cacheContent("/clip" + std::to_string(index), "/" + std::to_string(index) + ".vlcf",
                           contentNamed("X"));
    }
    for (int index = 0; index < 500; ++index) {
        EXPECT_TRUE(hasClip(cache, "/clip" + std::to_string(index))) << index;
    }
}

TEST(ContentCache, TwoClipsShareOnePathAndRecachingReplacesContent) {
    ContainerManagerContentCache cache(10);
    const auto first = contentNamed("first");
    const auto second = contentNamed("second");
    cache.cacheContent("/clips/x.mov", "/shared.vlcf", first);
    cache.cacheContent("/clips/y.mov", "/shared.vlcf", second);

    std::shared_ptr<Content> found;
    ASSERT_TRUE(cache.cachedContentForClipFilePath("/clips/x.mov", found));
    EXPECT_EQ(found, second);
    ASSERT_TRUE(cache.cachedContentForClipFilePath("/clips/y.mov", found));
    EXPECT_EQ(found, second);

    cache.removeAllDataRelatedToCorrectionFilePath("/shared.vlcf");
    EXPECT_FALSE(hasClip(cache, "/clips/x.mov"));
    EXPECT_FALSE(hasClip(cache, "/clips/y.mov"));
}

TEST(ContentCache, EvictedContentIsFreedWhenNoOneHoldsIt) {
    ContainerManagerContentCache cache(1);
    std::weak_ptr<Content> watched;
    {
        const auto content = contentNamed("A");
        watched = content;
        cache.cacheContent("/a.vlcf", content);
    }
    EXPECT_FALSE(watched.expired());
    cache.cacheContent("/b.vlcf", contentNamed("B"));
    EXPECT_TRUE(watched.expired());
}
