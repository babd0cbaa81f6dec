#pragma once

#include "DDImage/DDImage_API.h"

namespace DD {
namespace Image {

enum Channel {
    Chan_Black = 0,
    Chan_Red = 1,
    Chan_Green = 2,
    Chan_Blue = 3,
    Chan_Alpha = 4,
    Chan_Z = 5,
    Chan_U = 6,
    Chan_V = 7,
    Chan_Unused = 20
};

enum ChannelSetInit {
    Mask_None = 0,
    Mask_Red = 1,
    Mask_Green = 2,
    Mask_Blue = 4,
    Mask_Alpha = 8,
    Mask_Z = 16,
    Mask_RGB = 7,
    Mask_RGBA = 15,
    Mask_All = static_cast<int>(0xFFFFFFFF)
};

// Channels by their full names ("layer.channel"); getChannel makes a channel
// that does not exist yet. The stand-in holds at most 32 channels.
DDImage_API Channel getChannel(const char* name, bool sort = true);
DDImage_API Channel findChannel(const char* name);
DDImage_API const char* getName(Channel channel);
DDImage_API const char* getLayerName(Channel channel);

} // namespace Image
} // namespace DD
