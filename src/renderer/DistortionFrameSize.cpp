#include "renderer/DistortionFrameSize.h"

#include "foundation/Exception.h"
#include "foundation/Sextic.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

namespace Renderer {

namespace {

std::string millimetres(float value) {
    std::ostringstream stream;
    stream << value << " mm";
    return stream.str();
}

// 2^31: far beyond any frame, and still room for the border pixel added to it.
constexpr float largestPixelCount = 2147483648.0F;

// Ratio of the polynomial's distance to the given one; 1 where the distance is zero.
float stretch(const std::array<float, 7>& a, float distance) {
    return distance > 0.0F ? evaluateSextic(a, distance) / distance : 1.0F;
}

} // namespace

void DistortionFrameSize::checkRadii(float imageRadius, float frameSizeImageRadius) {
    if (!(imageRadius > 0.0F) || !(frameSizeImageRadius > 0.0F)) {
        throw Exception("Image radii of " + millimetres(imageRadius) + " and " +
                        millimetres(frameSizeImageRadius) +
                        " are invalid and need to be greater than zero.");
    }
}

// The frame must hold the stretched middle of each edge and the stretched corner, so
// the edge factors are probed at half the distance between the outer pixel centres and
// the corner factor at the full radius.
void DistortionFrameSize::compute(std::uint32_t& width, std::uint32_t& height) const {
    checkRadii(imageRadius, frameSizeImageRadius);
    if (currentWidth == 0 || currentHeight == 0 || originalWidth == 0 || originalHeight == 0) {
        throw Exception("Frame size of " + std::to_string(currentWidth) + "x" +
                        std::to_string(currentHeight) + " px and recording format resolution of " +
                        std::to_string(originalWidth) + "x" + std::to_string(originalHeight) +
                        " px are invalid and need to be greater than zero.");
    }
    const std::string impossible =
        "It is not possible to correctly calculate the new frame size with an image radius of " +
        millimetres(frameSizeImageRadius) + ".";

    const auto w = static_cast<float>(currentWidth);
    const auto h = static_cast<float>(currentHeight);
    const float dx = (w - 1.0F) - (w * 0.5F - 0.5F);
    const float dy = (h - 1.0F) - (h * 0.5F - 0.5F);
    const float r = std::sqrt(dx * dx + dy * dy);
    const float radius = frameSizeImageRadius;
    const float ex = dx * radius / r;
    const float ey = dy * radius / r;

    const float fc = stretch(frameSizeCoefficients, radius);
    const float fx = stretch(frameSizeCoefficients, ex);
    const float fy = stretch(frameSizeCoefficients, ey);
    // NaN fails these tests as well as a negative factor.
    if (!(fc >= 0.0F) || !(fx >= 0.0F) || !(fy >= 0.0F)) {
        throw Exception(impossible);
    }

    // Pixel counts must stay representable; a wild polynomial must not wrap around.
    const auto pixels = [&impossible](float value) {
        const float rounded = std::ceil(value);
        if (!(rounded <= largestPixelCount)) {
            throw Exception(impossible);
        }
        return static_cast<std::uint32_t>(rounded);
    };
    const std::uint32_t w0 = std::max(pixels(fx * (w - 1.0F)), pixels((w - 1.0F) * fc)) + 1;
    const std::uint32_t h0 = std::max(pixels(fy * (h - 1.0F)), pixels((h - 1.0F) * fc)) + 1;

    const float aspect = static_cast<float>(originalWidth) / static_cast<float>(originalHeight);
    width = std::max(pixels(static_cast<float>(h0) * aspect), w0);
    height = std::max(pixels(static_cast<float>(w0) / aspect), h0);
}

} // namespace Renderer
