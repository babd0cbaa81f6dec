#pragma once

#include "DDImage/Box.h"
#include "DDImage/Format.h"
#include "DDImage/GeneralInfo.h"

namespace DD {
namespace Image {

// The bounding box (data window) of an image and its format.
class DDImage_API Info2D : public GeneralInfo, public Box {
public:
    const Format& format() const { return format_ != nullptr ? *format_ : Format::None; }
    // Keeps a pointer: the format must outlive the info.
    void format(const Format& f) { format_ = &f; }
    const Format& full_size_format() const { return format(); }
    void full_size_format(const Format& f) { format(f); }
    const Box& box() const { return *this; }
    void setBox(const Box& b) { Box::set(b); }

private:
    const Format* format_ = nullptr;
};

} // namespace Image
} // namespace DD
