#pragma once

#include "DDImage/Channel.h"

namespace DD {
namespace Image {

// A set of the first 32 channels, one bit per channel (bit 0 is Chan_Red).
class DDImage_API ChannelSet {
public:
    ChannelSet() = default;
    ChannelSet(ChannelSetInit mask) : bits_(static_cast<unsigned>(mask)) {}
    ChannelSet(Channel channel) : bits_(bitOf(channel)) {}
    ChannelSet(const Channel* channels, int count) {
        for (int i = 0; i < count; ++i) {
            bits_ |= bitOf(channels[i]);
        }
    }

    ChannelSet& operator+=(const ChannelSet& other) {
        bits_ |= other.bits_;
        return *this;
    }
    ChannelSet& operator+=(ChannelSetInit mask) { return *this += ChannelSet(mask); }
    ChannelSet& operator+=(Channel channel) { return *this += ChannelSet(channel); }
    ChannelSet& operator-=(const ChannelSet& other) {
        bits_ &= ~other.bits_;
        return *this;
    }
    ChannelSet& operator-=(ChannelSetInit mask) { return *this -= ChannelSet(mask); }
    ChannelSet& operator-=(Channel channel) { return *this -= ChannelSet(channel); }
    ChannelSet& operator&=(const ChannelSet& other) {
        bits_ &= other.bits_;
        return *this;
    }
    template <class T>
    ChannelSet operator+(const T& other) const {
        ChannelSet sum(*this);
        sum += other;
        return sum;
    }
    template <class T>
    ChannelSet operator-(const T& other) const {
        ChannelSet difference(*this);
        difference -= other;
        return difference;
    }
    bool operator&(const ChannelSet& other) const { return (bits_ & other.bits_) != 0; }
    bool operator==(const ChannelSet& other) const { return bits_ == other.bits_; }
    bool operator!=(const ChannelSet& other) const { return bits_ != other.bits_; }

    bool contains(const ChannelSet& other) const { return (bits_ & other.bits_) == other.bits_; }
    unsigned size() const;
    Channel first() const { return next(Chan_Black); }
    Channel next(Channel channel) const;
    Channel last() const;
    bool empty() const { return bits_ == 0; }
    bool all() const { return bits_ == 0xFFFFFFFFU; }
    operator bool() const { return !empty(); }

private:
    static unsigned bitOf(Channel channel) {
        return channel == Chan_Black ? 0U : 1U << (static_cast<unsigned>(channel) - 1U);
    }
    unsigned bits_ = 0;
};

typedef const ChannelSet& ChannelMask;

const int Chan_Last = 1023;

} // namespace Image
} // namespace DD

#ifdef foreach
#undef foreach
#endif
#define foreach(VAR, CHANNELS)                                                                     \
    for (DD::Image::Channel VAR = CHANNELS.first(); VAR; VAR = CHANNELS.next(VAR))
