#pragma once

#include <cstdint>

// The largest corrected frame a host processes: four gigabytes of float RGBA.
namespace FrameSizeLimit {

// Throws Exception, naming the size, when the frame is larger.
void check(std::int64_t width, std::int64_t height);

} // namespace FrameSizeLimit
