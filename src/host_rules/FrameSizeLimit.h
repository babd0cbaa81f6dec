#pragma once

#include <cstdint>

// The largest corrected frame a host processes: four gigabytes of float RGBA.
namespace FrameSizeLimit {

// Throws Exception, naming the size, when the frame is larger.
void check(std::int64_t width, std::int64_t height);

// Whether an image of that many pixels and channels can be processed: no
// more pixels than the corrected frame may have, and no more values than
// four gigabytes of float hold.
bool imageFits(std::int64_t width, std::int64_t height, std::int64_t channelCount);

} // namespace FrameSizeLimit
