#pragma once

#include <cstddef>

// What the host's allocator (DD::Image::Memory) has handed out and not taken back, as the host's
// memory limit sees it; and the most of it at any time since the last reset.
namespace DDImageStandIn {

size_t memoryInUse();
size_t peakMemoryInUse();
void resetPeakMemoryInUse();

} // namespace DDImageStandIn
