#pragma once

#include "DDImage/ImagePlane.h"
#include "DDImage/Iop.h"
#include "DDImage/PlanarI.h"
#include "DDImage/RequestOutput.h"

#include <cstddef>

namespace DD {
namespace Image {

// An image operator that renders whole planes (or stripes of them).
class DDImage_API PlanarIop : public Iop, public PlanarI {
public:
    PlanarIop(Node* node);
    ~PlanarIop() override;

    virtual void getRequests(const Box& box, const ChannelSet& channels, int count,
                             RequestOutput& reqData) const;
    virtual void renderStripe(ImagePlane& plane) = 0;
    PlanarI* getPlanarI() override { return this; }
    virtual bool useStripes() const { return false; }
    virtual size_t stripeHeight() const { return 256; }
    PackedPreference packedPreference() const override { return ePackedPreferenceNone; }
    virtual bool renderFullPlanes() const { return false; }

protected:
    void _open() override {}
    void engine(int y, int x, int r, ChannelMask channels, Row& row) override;
    void _request(int x, int y, int r, int t, ChannelMask channels, int count) override;
    void doFetchPlane(ImagePlane& plane) override;
    virtual ImagePlane renderStripe(size_t stripe, const ChannelSet& m);
    size_t getStripeCount() const override;
    Box getStripeBox(int idx) const override;
    size_t rowToStripeIndex(int y) const override;
};

} // namespace Image
} // namespace DD
