#include "host_rules/FrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Halves away from zero.
std::int64_t rounded(double value) {
    return static_cast<std::int64_t>(std::round(value));
}

std::int64_t halfOf(std::int64_t difference) {
    return rounded(static_cast<double>(difference) / 2.0);
}

double halfDiagonal(double width, double height) {
    return std::hypot(width / 2.0 - 0.5, height / 2.0 - 0.5);
}

} // namespace

FrameGeometry::FrameGeometry(std::int64_t formatWidth, std::int64_t formatHeight,
                             std::int64_t overhangX, std::int64_t overhangY)
    : formatWidth_(formatWidth), formatHeight_(formatHeight) {
    const std::int64_t width = formatWidth + 2 * overhangX;
    const std::int64_t height = formatHeight + 2 * overhangY;
    alignedWidth_ = width;
    alignedHeight_ = height;
    if ((width != formatWidth || height != formatHeight) && formatWidth > 0 && formatHeight > 0) {
        // The aspect ratio W / H applied as a product and a quotient, so that
        // exact halves stay exact.
        const double widthForHeight =
            std::round(static_cast<double>(height) * static_cast<double>(formatWidth) /
                       static_cast<double>(formatHeight));
        const double finalWidth = std::max(static_cast<double>(width), widthForHeight);
        alignedWidth_ = rounded(finalWidth);
        alignedHeight_ = rounded(finalWidth * static_cast<double>(formatHeight) /
                                 static_cast<double>(formatWidth));
    }
    marginX_ = halfOf(alignedWidth_ - formatWidth);
    marginY_ = halfOf(alignedHeight_ - formatHeight);
    referenceWidth_ = boxWidth();
    referenceHeight_ = boxHeight();
}

FrameGeometry FrameGeometry::ofDataWindow(std::int64_t formatX, std::int64_t formatY,
                                          std::int64_t formatWidth, std::int64_t formatHeight,
                                          std::int64_t dataX, std::int64_t dataY,
                                          std::int64_t dataWidth, std::int64_t dataHeight) {
    const auto overhang = [](std::int64_t formatBegin, std::int64_t formatSize,
                             std::int64_t dataBegin, std::int64_t dataSize) {
        return std::max({std::int64_t{0}, formatBegin - dataBegin,
                         dataBegin + dataSize - (formatBegin + formatSize)});
    };
    return FrameGeometry(formatWidth, formatHeight,
                         overhang(formatX, formatWidth, dataX, dataWidth),
                         overhang(formatY, formatHeight, dataY, dataHeight));
}

FrameGeometry FrameGeometry::grownTo(std::int64_t width, std::int64_t height) const {
    FrameGeometry grown(*this);
    grown.marginX_ = halfOf(std::max(width, alignedWidth_) - formatWidth_);
    grown.marginY_ = halfOf(std::max(height, alignedHeight_) - formatHeight_);
    return grown;
}

float FrameGeometry::overscanOfBoundingBox() const {
    return overscanBeyond(static_cast<double>(referenceWidth_),
                          static_cast<double>(referenceHeight_), static_cast<double>(formatWidth_),
                          static_cast<double>(formatHeight_));
}

float FrameGeometry::overscanOfFormat(float amount) const {
    return overscanBeyond(static_cast<double>(referenceWidth_),
                          static_cast<double>(referenceHeight_),
                          static_cast<double>(remainingSide(formatWidth_, amount)),
                          static_cast<double>(remainingSide(formatHeight_, amount)));
}

float FrameGeometry::overscanBeyond(double frameWidth, double frameHeight, double areaWidth,
                                    double areaHeight) {
    const double frame = halfDiagonal(frameWidth, frameHeight);
    const double area = halfDiagonal(areaWidth, areaHeight);
    if (!(area > 0.0) || !std::isfinite(area)) {
        return 0.0F;
    }
    return static_cast<float>((frame - area) / area * 100.0);
}

std::int64_t FrameGeometry::remainingSide(std::int64_t formatSide, float amount) {
    const float scale = 1.0F / (amount / 100.0F + 1.0F);
    const double side = std::round(static_cast<float>(formatSide) * scale);
    return std::isfinite(side) ? static_cast<std::int64_t>(side) : 0;
}
