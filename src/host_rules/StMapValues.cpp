#include "host_rules/StMapValues.h"

#include "foundation/Sextic.h"

#include <cmath>

// The source point is found exactly as the distortion kernel finds it: the
// distance from the centre between the middle pixels, scaled so that the
// frame's half diagonal is the image radius, is mapped through the
// polynomial, and the pixel moves along its ray by the ratio.
void StMapValues::at(const Core::DistortionMapping& mapping, std::uint32_t formatWidth,
                     std::uint32_t formatHeight, std::uint32_t marginX, std::uint32_t marginY,
                     std::int64_t x, std::int64_t y, float* rgba) {
    const float width = static_cast<float>(mapping.width);
    const float height = static_cast<float>(mapping.height);
    const float centreX = width / 2.0F - 0.5F;
    const float centreY = height / 2.0F - 0.5F;
    const float halfDiagonal = std::sqrt(width * width + height * height) / 2.0F;
    const float dx = static_cast<float>(x) - centreX;
    const float dy = static_cast<float>(y) - centreY;
    const float distance = std::sqrt(dx * dx + dy * dy) / halfDiagonal * mapping.imageRadius;
    const float factor =
        distance > 0.0F ? evaluateSextic(mapping.coefficients, distance) / distance : 1.0F;
    // Source pixel position within the format, rows from the top.
    const float sourceX = dx * factor + centreX - static_cast<float>(marginX);
    const float sourceY = dy * factor + centreY - static_cast<float>(marginY);
    rgba[0] = (sourceX + 0.5F) / static_cast<float>(formatWidth);
    rgba[1] = 1.0F - (sourceY + 0.5F) / static_cast<float>(formatHeight);
    rgba[2] = 0.0F;
    rgba[3] = 1.0F;
}
