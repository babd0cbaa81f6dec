#pragma once

#include "DDImage/DDImage_API.h"

namespace DD {
namespace Image {

class DDImage_API OutputContext {
public:
    double frame() const { return frame_; }
    void setFrame(double frame) { frame_ = frame; }
    int view() const { return view_; }
    void setView(int view) { view_ = view; }

private:
    double frame_ = 0;
    int view_ = 0;
};

} // namespace Image
} // namespace DD
