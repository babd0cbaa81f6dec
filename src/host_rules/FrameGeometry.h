#pragma once

#include <cstdint>

// How a corrected frame is laid out around the input's format, as the
// compositing node grows its bounding box: the data window beyond the format
// is first widened to the format's aspect ratio, and then, symmetrically, to
// the size the correction needs.
class FrameGeometry {
public:
    // The format size and how far the input's data window reaches beyond it
    // on its farther side, per axis (0 when it stays inside).
    FrameGeometry(std::uint32_t formatWidth, std::uint32_t formatHeight, std::uint32_t overhangX,
                  std::uint32_t overhangY);

    // The overhang widened to the format's aspect ratio.
    std::uint32_t alignedWidth() const { return alignedWidth_; }
    std::uint32_t alignedHeight() const { return alignedHeight_; }
    // The aligned frame as a box centred on the format (format plus twice the margins).
    std::uint32_t boxWidth() const { return formatWidth_ + 2 * marginX_; }
    std::uint32_t boxHeight() const { return formatHeight_ + 2 * marginY_; }
    std::uint32_t marginX() const { return marginX_; }
    std::uint32_t marginY() const { return marginY_; }

    // The box grown to at least the given size, keeping it centred.
    FrameGeometry grownTo(std::uint32_t width, std::uint32_t height) const;

    // Percentage by which the frame's half diagonal exceeds the format's,
    // when the overscan is the data window beyond the format.
    float overscanOfBoundingBox() const;
    // The same when the format itself holds `amount` percent of overscan.
    float overscanOfFormat(float amount) const;

private:
    std::uint32_t formatWidth_;
    std::uint32_t formatHeight_;
    std::uint32_t alignedWidth_ = 0;
    std::uint32_t alignedHeight_ = 0;
    std::uint32_t marginX_ = 0;
    std::uint32_t marginY_ = 0;
    // The aligned box size, kept by grownTo for the overscan.
    std::uint32_t referenceWidth_ = 0;
    std::uint32_t referenceHeight_ = 0;
};
