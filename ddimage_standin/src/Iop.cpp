#include "DDImage/Iop.h"

#include "DDImage/ImagePlane.h"

#include <stdexcept>

namespace DD {
namespace Image {

namespace {

// What the host connects to an input that nothing is connected to.
class Black : public Iop {
public:
    Black() : Iop(nullptr) {
        info_.format(format_);
        info_.setBox(Box(0, 0, format_.width(), format_.height()));
        info_.channels(Mask_RGBA);
    }
    const char* Class() const override { return "Black"; }
    const char* node_help() const override { return "Black everywhere."; }
    void engine(int, int, int, ChannelMask, Row&) override {}

protected:
    void _validate(bool) override {}

private:
    Format format_{1920, 1080};
};

} // namespace

Iop::Iop(Node* node) : Op(node) {}

Iop::~Iop() = default;

void Iop::fetchPlane(ImagePlane& imagePlane) {
    validate(true);
    if (!info_.box().contains(imagePlane.bounds())) {
        throw std::logic_error(std::string("fetchPlane of ") + Class() +
                               ": the plane lies outside the bounding box");
    }
    // Like the host, only what was requested is there to fetch.
    if (!requestedBox_.contains(imagePlane.bounds()) ||
        !requestedChannels_.contains(imagePlane.channels())) {
        throw std::logic_error(std::string("fetchPlane of ") + Class() +
                               ": the plane was not requested");
    }
    imagePlane.makeWritable();
    if (aborted() || hasError()) {
        return;
    }
    doFetchPlane(imagePlane);
}

void Iop::request(int x, int y, int r, int t, ChannelMask channels, int count) {
    validate(true);
    requestedBox_ = Box(x, y, r, t);
    requestedChannels_ = channels;
    requestedCount_ = count;
    _request(x, y, r, t, channels, count);
}

void Iop::request(Box box, ChannelMask channels, int count) {
    request(box.x(), box.y(), box.r(), box.t(), channels, count);
}

void Iop::request(ChannelMask channels, int count) {
    request(info_.box(), channels, count);
}

bool Iop::test_input(int, Op* op) const {
    return op != nullptr && op->iop() != nullptr;
}

Op* Iop::default_input(int) const {
    static Black black;
    return &black;
}

Iop* Iop::input(int n) const {
    Op* op = Op::input(n);
    return op != nullptr ? op->iop() : nullptr;
}

void Iop::_validate(bool for_real) {
    Op::_validate(for_real);
    if (inputs() == 0 || input(0) == nullptr) {
        return;
    }
    copy_info(0);
    for (int i = 1; i < inputs(); ++i) {
        if (input(i) != nullptr) {
            info_.merge(input(i)->info().box());
            info_.channels() += input(i)->info().channels();
        }
    }
}

void Iop::_request(int x, int y, int r, int t, ChannelMask channels, int count) {
    for (int i = 0; i < inputs(); ++i) {
        if (input(i) != nullptr) {
            input(i)->request(x, y, r, t, channels, count);
        }
    }
}

void Iop::doFetchPlane(ImagePlane& imagePlane) {
    float* pixels = imagePlane.writable();
    for (size_t i = 0; i < imagePlane.usage() / sizeof(float); ++i) {
        pixels[i] = 0.0F;
    }
}

void Iop::copy_info(int input) {
    Iop* in = this->input(input);
    if (in == nullptr) {
        return;
    }
    in->validate(real_valid());
    info_ = in->info();
}

void Iop::merge_info(int input) {
    Iop* in = this->input(input);
    if (in != nullptr) {
        info_.merge(in->info().box());
        info_.channels() += in->info().channels();
    }
}

} // namespace Image
} // namespace DD
