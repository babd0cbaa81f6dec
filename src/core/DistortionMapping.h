#pragma once

#include <array>
#include <cstdint>

namespace Core {

// The mapping that the distortion kernel applies to the current frame: an
// output pixel at distance r from the centre (millimetres on the sensor,
// imageRadius at the half diagonal of width x height) takes its value from the
// point on the same ray at distance a0 + a1 r + ... + a6 r^6. Hosts use it to
// express the correction in their own terms, such as position maps.
struct DistortionMapping {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    float imageRadius = 0.0F;
    std::array<float, 7> coefficients{};
};

} // namespace Core
