#pragma once

#include "DDImage/Box.h"
#include "DDImage/ChannelSet.h"

#include <cstddef>

namespace DD {
namespace Image {

class DDImage_API PlanarI {
protected:
    virtual ~PlanarI() = default;

public:
    enum PackedPreference {
        ePackedPreferenceNone,
        ePackedPreferencePacked,
        ePackedPreferenceUnpacked
    };

    virtual PackedPreference packedPreference() const = 0;
    virtual size_t getStripeCount() const = 0;
    virtual Box getStripeBox(int idx) const = 0;
    virtual size_t rowToStripeIndex(int y) const = 0;
    // The union of the stripe boxes.
    Box getOutputBox() const;
    virtual bool stripesCanBeRenderedInParallel() { return false; }
};

} // namespace Image
} // namespace DD
