#pragma once

#include <cstdint>

// How a corrected frame is laid out around the input's format, the same for
// every host: the data window beyond the format is first widened to the
// format's aspect ratio, and then, symmetrically, to the size the correction
// needs. Sizes and margins are signed: a data window that lies inside the
// format on both sides of an axis makes the frame smaller than the format.
class FrameGeometry {
public:
    // The format size and how far the input's data window reaches beyond it
    // on its farther side, per axis (negative when it stays inside).
    FrameGeometry(std::int64_t formatWidth, std::int64_t formatHeight, std::int64_t overhangX,
                  std::int64_t overhangY);

    // The geometry of a plate whose data window (origin and size) lies in the
    // same coordinates as its format: on each axis the data window's farther
    // reach beyond the format, 0 where it stays inside, as the tool and the
    // Python module read plates.
    static FrameGeometry ofDataWindow(std::int64_t formatX, std::int64_t formatY,
                                      std::int64_t formatWidth, std::int64_t formatHeight,
                                      std::int64_t dataX, std::int64_t dataY,
                                      std::int64_t dataWidth, std::int64_t dataHeight);

    // The overhang widened to the format's aspect ratio.
    std::int64_t alignedWidth() const { return alignedWidth_; }
    std::int64_t alignedHeight() const { return alignedHeight_; }
    // The frame as a box centred on the format (format plus twice the margins).
    std::int64_t boxWidth() const { return formatWidth_ + 2 * marginX_; }
    std::int64_t boxHeight() const { return formatHeight_ + 2 * marginY_; }
    std::int64_t marginX() const { return marginX_; }
    std::int64_t marginY() const { return marginY_; }

    // The box grown to at least the given size and the aligned size, kept centred.
    FrameGeometry grownTo(std::int64_t width, std::int64_t height) const;

    // Percentage by which the half diagonal of the aligned box exceeds the
    // format's, when the overscan is the data window beyond the format.
    float overscanOfBoundingBox() const;
    // The same when the format itself holds `amount` percent of overscan.
    float overscanOfFormat(float amount) const;

    // Percentage by which the half diagonal (centre to the centre of a corner
    // pixel) of a frame exceeds that of an area; 0 when the area is too small
    // to tell.
    static float overscanBeyond(double frameWidth, double frameHeight, double areaWidth,
                                double areaHeight);
    // The part of a format that `amount` percent of overscan leaves:
    // round(side / (1 + amount / 100)) in single precision, halves away from zero.
    static std::int64_t remainingSide(std::int64_t formatSide, float amount);

private:
    std::int64_t formatWidth_;
    std::int64_t formatHeight_;
    std::int64_t alignedWidth_ = 0;
    std::int64_t alignedHeight_ = 0;
    std::int64_t marginX_ = 0;
    std::int64_t marginY_ = 0;
    // The aligned box size, kept by grownTo for the overscan.
    std::int64_t referenceWidth_ = 0;
    std::int64_t referenceHeight_ = 0;
};
