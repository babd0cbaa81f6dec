#include "DDImage/PlanarIop.h"

#include "DDImage/Read.h"

#include <stdexcept>
#include <string>

namespace DD {
namespace Image {

void RequestOutput::doRequest() {
    for (const RequestData& data : requests_) {
        if (data.op() != nullptr) {
            data.op()->request(data.box(), data.channels(), data.count());
        }
    }
}

Box PlanarI::getOutputBox() const {
    Box box = getStripeBox(0);
    for (size_t i = 1; i < getStripeCount(); ++i) {
        box.merge(getStripeBox(static_cast<int>(i)));
    }
    return box;
}

PlanarIop::PlanarIop(Node* node) : Iop(node) {}

PlanarIop::~PlanarIop() = default;

void PlanarIop::getRequests(const Box& box, const ChannelSet& channels, int count,
                            RequestOutput& reqData) const {
    if (inputs() > 0 && input(0) != nullptr) {
        reqData.request(&input0(), box, channels, count);
    }
}

void PlanarIop::engine(int, int, int, ChannelMask, Row&) {
    throw std::logic_error("the stand-in host renders planar operators by planes only");
}

void PlanarIop::_request(int x, int y, int r, int t, ChannelMask channels, int count) {
    RequestOutput requests;
    getRequests(Box(x, y, r, t), channels, count, requests);
    requests.doRequest();
}

// The stand-in renders the requested plane in one piece. An operator that renders full planes
// gets whole layers, as the host hands them: each layer that the requested channels belong to,
// with all of its channels that the operator outputs, and the requested ones are copied out.
void PlanarIop::doFetchPlane(ImagePlane& plane) {
    const ChannelSet requested = plane.channels();
    if (!renderFullPlanes()) {
        renderStripe(plane);
        return;
    }
    ChannelSet done;
    foreach (channel, requested) {
        if (done & ChannelSet(channel)) {
            continue;
        }
        const std::string layer = getLayerName(channel);
        ChannelSet wholeLayer;
        foreach (member, info_.channels()) {
            if (layer == getLayerName(member)) {
                wholeLayer += member;
            }
        }
        wholeLayer += channel;
        if (wholeLayer == requested) {
            renderStripe(plane);
            return;
        }
        ImagePlane layerPlane(plane.bounds(), plane.packed(), wholeLayer);
        layerPlane.makeWritable();
        renderStripe(layerPlane);
        foreach (member, requested) {
            if (!(wholeLayer & ChannelSet(member))) {
                continue;
            }
            const int from = layerPlane.chanNo(member);
            const int to = plane.chanNo(member);
            for (int y = plane.bounds().y(); y < plane.bounds().t(); ++y) {
                for (int x = plane.bounds().x(); x < plane.bounds().r(); ++x) {
                    plane.writableAt(x, y, to) = layerPlane.at(x, y, from);
                }
            }
            done += member;
        }
    }
}

ImagePlane PlanarIop::renderStripe(size_t stripe, const ChannelSet& m) {
    ImagePlane plane(getStripeBox(static_cast<int>(stripe)), true, m);
    renderStripe(plane);
    return plane;
}

size_t PlanarIop::getStripeCount() const {
    return 1;
}

Box PlanarIop::getStripeBox(int) const {
    return info_.box();
}

size_t PlanarIop::rowToStripeIndex(int) const {
    return 0;
}

const char* Read::CLASS = "Read";

Read::Read(Node* node) : PlanarIop(node) {}

Read::~Read() = default;

const char* Read::node_help() const {
    return "Reads images from files.";
}

void Read::renderStripe(ImagePlane& plane) {
    plane.makeWritable();
}

} // namespace Image
} // namespace DD
