#include "nuke/HostFrameBuffer.h"

#include "DDImage/Memory.h"

#include <algorithm>
#include <limits>

HostFrameBuffer::HostFrameBuffer(size_t count)
    : count_(count),
      data_(count <= std::numeric_limits<size_t>::max() / sizeof(float)
                ? static_cast<float*>(DD::Image::Memory::allocate_void(count * sizeof(float)))
                : nullptr) {
    if (data_ != nullptr) {
        std::fill(data_, data_ + count_, 0.0F);
    }
}

HostFrameBuffer::~HostFrameBuffer() {
    DD::Image::Memory::deallocate_void(data_, count_ * sizeof(float));
}
