#pragma once

#include "DDImage/Box.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace DD {
namespace Image {

// Float pixel memory shared by the copies of an image plane.
class DDImage_API RefCountedFloatBuffer {
public:
    RefCountedFloatBuffer() = default;
    RefCountedFloatBuffer(const RefCountedFloatBuffer&) = default;
    RefCountedFloatBuffer& operator=(const RefCountedFloatBuffer&) = default;
    ~RefCountedFloatBuffer() = default;

    static RefCountedFloatBuffer allocate(const Box& bounds, int nComps, int pixelStep, int rowStep,
                                          int componentStep);

    operator const float*() const { return floats_ ? floats_->data() : nullptr; }
    operator float*() { return floats_ ? floats_->data() : nullptr; }
    void reset() { floats_.reset(); }
    // Bytes held; 0 when nothing is allocated.
    size_t usage() const { return floats_ ? floats_->size() * sizeof(float) : 0; }
    int refCount() const { return static_cast<int>(floats_.use_count()); }

private:
    std::shared_ptr<std::vector<float>> floats_;
};

} // namespace Image
} // namespace DD
