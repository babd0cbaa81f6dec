#include "DDImage/ChannelSet.h"

#include <bitset>

namespace DD {
namespace Image {

unsigned ChannelSet::size() const {
    return static_cast<unsigned>(std::bitset<32>(bits_).count());
}

Channel ChannelSet::next(Channel channel) const {
    for (unsigned c = static_cast<unsigned>(channel) + 1U; c <= 32U; ++c) {
        if ((bits_ & (1U << (c - 1U))) != 0) {
            return static_cast<Channel>(c);
        }
    }
    return Chan_Black;
}

Channel ChannelSet::last() const {
    Channel last = Chan_Black;
    for (Channel c = first(); c != Chan_Black; c = next(c)) {
        last = c;
    }
    return last;
}

} // namespace Image
} // namespace DD
