#include "DDImageStandIn/PassThroughIop.h"

#include <utility>

namespace DDImageStandIn {

PassThroughIop::PassThroughIop(Node* node, std::string className)
    : PlanarIop(node), className_(std::move(className)) {
    inputs(1);
}

void PassThroughIop::renderStripe(DD::Image::ImagePlane& plane) {
    input0().fetchPlane(plane);
}

} // namespace DDImageStandIn
