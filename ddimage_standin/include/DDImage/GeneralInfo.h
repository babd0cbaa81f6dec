#pragma once

#include "DDImage/DDImage_API.h"

namespace DD {
namespace Image {

class DDImage_API GeneralInfo {
public:
    typedef int FrameRange[2];

    int first_frame() const { return first_; }
    int firstFrame() const { return first_; }
    int last_frame() const { return last_; }
    int lastFrame() const { return last_; }
    void setFirstFrame(int v) { first_ = v; }
    void setLastFrame(int v) { last_ = v; }
    void setFrameRange(int first, int last) {
        first_ = first;
        last_ = last;
    }

private:
    int first_ = 1;
    int last_ = 1;
};

} // namespace Image
} // namespace DD
