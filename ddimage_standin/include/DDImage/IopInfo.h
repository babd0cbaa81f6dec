#pragma once

#include "DDImage/ChannelSet.h"
#include "DDImage/Info2D.h"

namespace DD {
namespace Image {

class DDImage_API IopInfo : public Info2D {
public:
    ChannelSet& channels() { return channels_; }
    ChannelMask channels() const { return channels_; }
    void channels(ChannelSetInit c) { channels_ = ChannelSet(c); }
    void channels(ChannelMask c) { channels_ = c; }
    void channels(Channel c) { channels_ = ChannelSet(c); }
    int ydirection() const { return ydirection_; }
    void ydirection(int v) { ydirection_ = v; }
    bool black_outside() const { return blackOutside_; }
    void black_outside(bool v) { blackOutside_ = v; }

private:
    ChannelSet channels_;
    int ydirection_ = 0;
    bool blackOutside_ = false;
};

} // namespace Image
} // namespace DD
