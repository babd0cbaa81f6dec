#include "DDImageStandIn/StandInRead.h"

namespace DDImageStandIn {

StandInRead::StandInRead(Node* node) : Read(node) {}

void StandInRead::setFormat(int width, int height) {
    format_ = DD::Image::Format(width, height);
    box_ = DD::Image::Box(0, 0, width, height);
}

void StandInRead::setFrameRange(int first, int last) {
    firstFrame_ = first;
    lastFrame_ = last;
}

const DD::Image::MetaData::Bundle& StandInRead::_fetchMetaData(const char* /*keyname*/) {
    return metadata_;
}

void StandInRead::renderStripe(DD::Image::ImagePlane& plane) {
    plane.makeWritable();
    const DD::Image::Box bounds = plane.bounds();
    for (int y = bounds.y(); y < bounds.t(); ++y) {
        for (int x = bounds.x(); x < bounds.r(); ++x) {
            for (int c = 0; c < plane.nComps(); ++c) {
                plane.writableAt(x, y, c) = pixels_ ? pixels_(x, y, c) : 0.0F;
            }
        }
    }
}

void StandInRead::_validate(bool /*for_real*/) {
    info_.format(format_);
    info_.setBox(box_);
    info_.channels(DD::Image::Mask_RGBA);
    info_.setFrameRange(firstFrame_, lastFrame_);
}

} // namespace DDImageStandIn
