#include "host_rules/ChannelGroups.h"

#include <cstddef>

std::vector<ChannelGroups::Group> ChannelGroups::of(int channelCount, int alphaChannel) {
    std::vector<Group> groups;
    Group group{-1, -1, -1, alphaChannel};
    int filled = 0;
    for (int channel = 0; channel < channelCount; ++channel) {
        if (channel == alphaChannel) {
            continue;
        }
        group[static_cast<std::size_t>(filled++)] = channel;
        if (filled == 3) {
            groups.push_back(group);
            group = {-1, -1, -1, -1};
            filled = 0;
        }
    }
    if (filled > 0 || groups.empty()) {
        groups.push_back(group);
    }
    return groups;
}

int ChannelGroups::firstOfConsecutiveChannels(const Group& group) {
    for (std::size_t place = 1; place < group.size(); ++place) {
        if (group[0] < 0 || group[place] != group[0] + static_cast<int>(place)) {
            return -1;
        }
    }
    return group[0];
}
