#pragma once

#include <array>
#include <string>
#include <vector>

// How a host hands an image's channels to the renderers, which take four at a
// time: colour and other channels three at a time in the first three places,
// alpha alone in the fourth place of the first group (the shading kernel keeps
// the fourth place). -1 marks an empty place.
namespace ChannelGroups {

using Group = std::array<int, 4>;

// `alphaChannel` is -1 when the image has no alpha.
std::vector<Group> of(int channelCount, int alphaChannel);

// The given channels three at a time, the fourth place empty: what shading
// multiplies.
std::vector<Group> ofColourChannels(const std::vector<int>& channels);

// Whether shading multiplies a channel, by its name: red, green, blue and
// luminance of any layer ("R", "diffuse.G", "Y"; also Nuke's "red", "green",
// "blue"). Every other channel, alpha, depth and motion among them, is data
// that shading copies unchanged.
bool isColourChannel(const std::string& name);

// The first of four consecutive channels, such as RGBA; -1 for any other group.
int firstOfConsecutiveChannels(const Group& group);

} // namespace ChannelGroups
