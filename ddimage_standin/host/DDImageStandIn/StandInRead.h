#pragma once

#include "DDImage/Read.h"

#include <functional>

namespace DDImageStandIn {

// A Read whose file, frame range, format, box, metadata and pixels a test sets.
class StandInRead : public DD::Image::Read {
public:
    // Value of channel index `c` (0 = red) at pixel (x, y).
    using Pixels = std::function<float(int x, int y, int c)>;

    explicit StandInRead(Node* node);

    void setFormat(int width, int height);
    void setBox(const DD::Image::Box& box) { box_ = box; }
    void setFrameRange(int first, int last);
    void setPixels(Pixels pixels) { pixels_ = std::move(pixels); }
    DD::Image::MetaData::Bundle& metadata() { return metadata_; }

    const DD::Image::MetaData::Bundle& _fetchMetaData(const char* keyname) override;
    void renderStripe(DD::Image::ImagePlane& plane) override;
    PackedPreference packedPreference() const override { return ePackedPreferencePacked; }

protected:
    void _validate(bool for_real) override;

private:
    DD::Image::Format format_{0, 0};
    DD::Image::Box box_{0, 0, 0, 0};
    int firstFrame_ = 1;
    int lastFrame_ = 1;
    Pixels pixels_;
    DD::Image::MetaData::Bundle metadata_;
};

} // namespace DDImageStandIn
