#pragma once

#include "DDImage/PlanarIop.h"

#include <string>

namespace DDImageStandIn {

// Any other operator of a script (a grade, a reformat): passes input 0 on.
class PassThroughIop : public DD::Image::PlanarIop {
public:
    PassThroughIop(Node* node, std::string className);

    const char* Class() const override { return className_.c_str(); }
    const char* node_help() const override { return "Passes its input on."; }
    void renderStripe(DD::Image::ImagePlane& plane) override;

private:
    std::string className_;
};

} // namespace DDImageStandIn
