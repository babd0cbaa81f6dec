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

std::vector<ChannelGroups::Group>
ChannelGroups::ofColourChannels(const std::vector<int>& channels) {
    std::vector<Group> groups;
    for (std::size_t first = 0; first < channels.size(); first += 3) {
        Group group{-1, -1, -1, -1};
        for (std::size_t place = 0; place < 3 && first + place < channels.size(); ++place) {
            group[place] = channels[first + place];
        }
        groups.push_back(group);
    }
    return groups;
}

bool ChannelGroups::isColourChannel(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::string role = dot == std::string::npos ? name : name.substr(dot + 1);
    for (const char* colour : {"R", "G", "B", "Y", "red", "green", "blue"}) {
        if (role == colour) {
            return true;
        }
    }
    return false;
}

int ChannelGroups::firstOfConsecutiveChannels(const Group& group) {
    for (std::size_t place = 1; place < group.size(); ++place) {
        if (group[0] < 0 || group[place] != group[0] + static_cast<int>(place)) {
            return -1;
        }
    }
    return group[0];
}
