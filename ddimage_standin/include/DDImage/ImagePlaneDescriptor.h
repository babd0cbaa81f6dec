#pragma once

#include "DDImage/Box.h"
#include "DDImage/ChannelSet.h"

namespace DD {
namespace Image {

class DDImage_API ImagePlaneDescriptor {
protected:
    Box _bounds;
    bool _packed;
    ChannelSet _mask;
    int _nComps;

public:
    ImagePlaneDescriptor(const Box& bounds, bool packed, ChannelSet mask, int nComps)
        : _bounds(bounds), _packed(packed), _mask(mask), _nComps(nComps) {}

    Box bounds() const { return _bounds; }
    ChannelSet channels() const { return _mask; }
    bool packed() const { return _packed; }
    int nComps() const { return _nComps; }
};

} // namespace Image
} // namespace DD
