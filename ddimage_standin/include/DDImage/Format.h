#pragma once

#include "DDImage/Box.h"

namespace DD {
namespace Image {

// Full image size and pixel aspect; the box is the aperture.
class DDImage_API Format : public Box {
public:
    Format() = default;
    Format(int w, int h, int x, int y, int r, int t, double pa = 1)
        : Box(x, y, r, t), width_(w), height_(h), pixelAspect_(pa) {}
    Format(int w, int h, double pa = 1)
        : Box(0, 0, w, h), width_(w), height_(h), pixelAspect_(pa) {}

    const char* name() const { return name_; }
    void name(const char* n) { name_ = n; }
    int width() const { return width_; }
    void width(int v) { width_ = v; }
    int height() const { return height_; }
    void height(int v) { height_ = v; }
    double pixel_aspect() const { return pixelAspect_; }
    void pixel_aspect(double v) { pixelAspect_ = v; }

    static Format None;

private:
    const char* name_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    double pixelAspect_ = 1;
};

} // namespace Image
} // namespace DD
