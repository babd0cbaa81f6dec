#pragma once

#include "DDImage/ChannelSet.h"
#include "DDImage/IopInfo.h"
#include "DDImage/Op.h"

namespace DD {
namespace Image {

class ImagePlane;
class PlanarI;
class Row;

class DDImage_API IopInfoOwner {
public:
    typedef IopInfo Info;

protected:
    Info info_;

public:
    const Info& info() const { return info_; }
    int x() const { return info_.x(); }
    int y() const { return info_.y(); }
    int r() const { return info_.r(); }
    int t() const { return info_.t(); }
    int w() const { return info_.w(); }
    int h() const { return info_.h(); }
    const Format& format() const { return info_.format(); }
    const Format& full_size_format() const { return info_.full_size_format(); }
    ChannelMask channels() const { return info_.channels(); }
    int first_frame() const { return info_.first_frame(); }
    int last_frame() const { return info_.last_frame(); }
    void format(const Format& f) { info_.format(f); }
    void full_size_format(const Format& f) { info_.full_size_format(f); }
};

// An image operator.
class DDImage_API Iop : public Op, public IopInfoOwner {
public:
    // The plane's area must lie inside info().
    void fetchPlane(ImagePlane& imagePlane);
    virtual PlanarI* getPlanarI() { return nullptr; }
    virtual void engine(int y, int x, int r, ChannelMask channels, Row& row) = 0;
    void request(int x, int y, int r, int t, ChannelMask channels, int count);
    void request(Box box, ChannelMask channels, int count);
    void request(ChannelMask channels, int count);
    bool test_input(int, Op* op) const override;
    Op* default_input(int) const override;
    Iop* input(int n) const;
    Iop& input0() const { return *input(0); }
    Iop& input1() const { return *input(1); }
    const Box& requestedBox() const { return requestedBox_; }
    ChannelMask requested_channels() const { return requestedChannels_; }
    int requested_count() const { return requestedCount_; }
    Iop* iop() override { return this; }
    const Iop* iop() const override { return this; }
    ~Iop() override;

protected:
    Iop(Node* node);
    void _validate(bool for_real) override;
    virtual void _request(int x, int y, int r, int t, ChannelMask channels, int count);
    virtual void doFetchPlane(ImagePlane& imagePlane);
    void copy_info() { copy_info(0); }
    void copy_info(int input);
    void clear_info() { info_ = Info(); }
    void merge_info(int input = 0);

private:
    Box requestedBox_;
    ChannelSet requestedChannels_;
    int requestedCount_ = 0;
};

} // namespace Image
} // namespace DD
