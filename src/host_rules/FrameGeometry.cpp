#include "host_rules/FrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Halves away from zero, as the node rounds.
std::uint32_t rounded(float value) {
    return static_cast<std::uint32_t>(std::round(value));
}

float halfDiagonalOfPixelCentres(float width, float height) {
    const float x = width / 2.0F - 0.5F;
    const float y = height / 2.0F - 0.5F;
    return std::sqrt(x * x + y * y);
}

} // namespace

FrameGeometry::FrameGeometry(std::uint32_t formatWidth, std::uint32_t formatHeight,
                             std::uint32_t overhangX, std::uint32_t overhangY)
    : formatWidth_(formatWidth), formatHeight_(formatHeight) {
    const std::uint32_t width = formatWidth + 2 * overhangX;
    const std::uint32_t height = formatHeight + 2 * overhangY;
    alignedWidth_ = width;
    alignedHeight_ = height;
    if (width != formatWidth || height != formatHeight) {
        const float aspect = static_cast<float>(formatWidth) / static_cast<float>(formatHeight);
        alignedWidth_ = std::max(width, rounded(static_cast<float>(height) * aspect));
        alignedHeight_ = rounded(static_cast<float>(alignedWidth_) / aspect);
    }
    marginX_ = rounded(static_cast<float>(alignedWidth_ - formatWidth) / 2.0F);
    marginY_ = rounded(static_cast<float>(alignedHeight_ - formatHeight) / 2.0F);
    referenceWidth_ = boxWidth();
    referenceHeight_ = boxHeight();
}

FrameGeometry FrameGeometry::grownTo(std::uint32_t width, std::uint32_t height) const {
    FrameGeometry grown(*this);
    const std::uint32_t targetWidth = std::max(width, alignedWidth_);
    const std::uint32_t targetHeight = std::max(height, alignedHeight_);
    grown.marginX_ = rounded(static_cast<float>(targetWidth - formatWidth_) / 2.0F);
    grown.marginY_ = rounded(static_cast<float>(targetHeight - formatHeight_) / 2.0F);
    return grown;
}

float FrameGeometry::overscanOfBoundingBox() const {
    const float frame = halfDiagonalOfPixelCentres(static_cast<float>(referenceWidth_),
                                                   static_cast<float>(referenceHeight_));
    const float format = halfDiagonalOfPixelCentres(static_cast<float>(formatWidth_),
                                                    static_cast<float>(formatHeight_));
    return (frame - format) / format * 100.0F;
}

float FrameGeometry::overscanOfFormat(float amount) const {
    const float scale = 1.0F / (amount / 100.0F + 1.0F);
    const float frame = halfDiagonalOfPixelCentres(static_cast<float>(referenceWidth_),
                                                   static_cast<float>(referenceHeight_));
    const float remaining = halfDiagonalOfPixelCentres(
        static_cast<float>(rounded(static_cast<float>(formatWidth_) * scale)),
        static_cast<float>(rounded(static_cast<float>(formatHeight_) * scale)));
    return (frame - remaining) / remaining * 100.0F;
}
