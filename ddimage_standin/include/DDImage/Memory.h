#pragma once

#include "DDImage/DDImage_API.h"

#include <cstddef>

namespace DD {
namespace Image {

// The host's allocator: what it hands out counts against the host's memory limit. null when the
// memory cannot be had.
class DDImage_API Memory {
public:
    static void* allocate_void(size_t size);
    static void deallocate_void(void* data, size_t size = 0);
};

} // namespace Image
} // namespace DD
