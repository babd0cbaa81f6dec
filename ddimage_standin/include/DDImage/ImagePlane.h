#pragma once

#include "DDImage/ImagePlaneDescriptor.h"
#include "DDImage/RefCountedFloatBuffer.h"

#include <cstddef>

namespace DD {
namespace Image {

// Float pixels of some channels over a box, packed (channels interleaved)
// or unpacked (one channel after the other). Copies share the memory.
class DDImage_API ImagePlane : public ImagePlaneDescriptor {
public:
    ImagePlane(const Box& bounds, bool packed, ChannelSet mask, int nComps)
        : ImagePlaneDescriptor(bounds, packed, mask, nComps) {}
    ImagePlane(const Box& bounds, bool packed, ChannelSet mask)
        : ImagePlane(bounds, packed, mask, static_cast<int>(mask.size())) {}
    explicit ImagePlane(const Box& bounds) : ImagePlane(bounds, true, Mask_None, 0) {}
    ImagePlane() : ImagePlane(Box(0, 0, 0, 0)) {}

    // Allocates when needed; points at (bounds.x, bounds.y, first channel).
    float* writable();
    const float* readable() const { return memory_; }
    void makeWritable();
    void makeUnique();

    int chanNo(Channel z) const;
    const float& at(int x, int y, int z) const { return readable()[offset(x, y, z)]; }
    float& writableAt(int x, int y, int z) { return writable()[offset(x, y, z)]; }
    int colStride() const { return _packed ? _nComps : 1; }
    int rowStride() const { return _packed ? _nComps * _bounds.w() : _bounds.w(); }
    int chanStride() const { return _packed ? 1 : _bounds.w() * _bounds.h(); }
    size_t usage() const { return memory_.usage(); }
    void clear() { memory_.reset(); }
    const RefCountedFloatBuffer& memory() const { return memory_; }
    void setMemory(RefCountedFloatBuffer& memory) { memory_ = memory; }
    void fillChannel(Channel z, float value);

private:
    size_t offset(int x, int y, int z) const {
        return static_cast<size_t>((y - _bounds.y()) * rowStride() +
                                   (x - _bounds.x()) * colStride() + z * chanStride());
    }
    RefCountedFloatBuffer memory_;
};

} // namespace Image
} // namespace DD
