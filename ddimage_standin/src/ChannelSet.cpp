#include "DDImage/ChannelSet.h"

#include <bitset>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

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

namespace DD {
namespace Image {

namespace {

// Full names by channel number; the first seven are the host's fixed channels.
// Room for all 32 is reserved, so the texts handed out never move.
struct ChannelNames {
    ChannelNames() {
        names.reserve(33);
        layers.reserve(33);
        for (const char* name : {"black", "rgba.red", "rgba.green", "rgba.blue", "rgba.alpha",
                                 "depth.Z", "forward.u", "forward.v"}) {
            add(name);
        }
    }
    void add(const std::string& name) {
        names.push_back(name);
        layers.push_back(name.substr(0, name.find('.')));
    }
    std::mutex access;
    std::vector<std::string> names;
    std::vector<std::string> layers;
};

ChannelNames& channelNames() {
    static ChannelNames names;
    return names;
}

Channel channelNamed(const char* name, bool create) {
    if (name == nullptr || *name == '\0') {
        return Chan_Black;
    }
    ChannelNames& table = channelNames();
    const std::lock_guard<std::mutex> lock(table.access);
    for (size_t c = 1; c < table.names.size(); ++c) {
        if (table.names[c] == name) {
            return static_cast<Channel>(c);
        }
    }
    if (!create) {
        return Chan_Black;
    }
    if (table.names.size() > 32) {
        throw std::length_error("the stand-in holds at most 32 channels");
    }
    table.add(name);
    return static_cast<Channel>(table.names.size() - 1);
}

} // namespace

Channel getChannel(const char* name, bool /*sort*/) {
    return channelNamed(name, true);
}

Channel findChannel(const char* name) {
    return channelNamed(name, false);
}

const char* getName(Channel channel) {
    ChannelNames& table = channelNames();
    const std::lock_guard<std::mutex> lock(table.access);
    const size_t c = static_cast<size_t>(channel);
    return c < table.names.size() ? table.names[c].c_str() : "unknown";
}

const char* getLayerName(Channel channel) {
    ChannelNames& table = channelNames();
    const std::lock_guard<std::mutex> lock(table.access);
    const size_t c = static_cast<size_t>(channel);
    return c < table.layers.size() ? table.layers[c].c_str() : "unknown";
}

} // namespace Image
} // namespace DD
