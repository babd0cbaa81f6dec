#include "DDImage/ImagePlane.h"

#include <algorithm>
#include <limits>

namespace DD {
namespace Image {

RefCountedFloatBuffer RefCountedFloatBuffer::allocate(const Box& bounds, int nComps,
                                                      int /*pixelStep*/, int /*rowStep*/,
                                                      int /*componentStep*/) {
    RefCountedFloatBuffer buffer;
    const size_t count = static_cast<size_t>(std::max(bounds.w(), 0)) *
                         static_cast<size_t>(std::max(bounds.h(), 0)) *
                         static_cast<size_t>(std::max(nComps, 0));
    // Like the host's memory, a new plane holds no picture: what is never written shows.
    buffer.floats_ =
        std::make_shared<std::vector<float>>(count, std::numeric_limits<float>::quiet_NaN());
    return buffer;
}

float* ImagePlane::writable() {
    makeWritable();
    return memory_;
}

void ImagePlane::makeWritable() {
    if (memory_.usage() == 0) {
        memory_ = RefCountedFloatBuffer::allocate(_bounds, _nComps, colStride(), rowStride(),
                                                  chanStride());
    }
}

void ImagePlane::makeUnique() {
    if (memory_.refCount() > 1) {
        RefCountedFloatBuffer copy = RefCountedFloatBuffer::allocate(_bounds, _nComps, colStride(),
                                                                     rowStride(), chanStride());
        std::copy_n(readable(), usage() / sizeof(float), static_cast<float*>(copy));
        memory_ = copy;
    }
}

int ImagePlane::chanNo(Channel z) const {
    int index = 0;
    for (Channel c = _mask.first(); c != Chan_Black; c = _mask.next(c)) {
        if (c == z) {
            return index;
        }
        ++index;
    }
    return -1;
}

void ImagePlane::fillChannel(Channel z, float value) {
    const int channel = chanNo(z);
    if (channel < 0) {
        return;
    }
    for (int y = _bounds.y(); y < _bounds.t(); ++y) {
        for (int x = _bounds.x(); x < _bounds.r(); ++x) {
            writableAt(x, y, channel) = value;
        }
    }
}

} // namespace Image
} // namespace DD
