#pragma once

// Frames of interleaved RGBA floats for the renderer tests, and the comparison that
// reports the pixel which differs most.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace PixelFrames {

struct Frame {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<float> values; // four channels per pixel, row after row

    Frame(std::uint32_t w, std::uint32_t h)
        : width(w), height(h), values(std::size_t{w} * h * 4, 0.0F) {}

    float& at(std::uint32_t x, std::uint32_t y, std::uint32_t channel) {
        return values[(std::size_t{y} * width + x) * 4 + channel];
    }
    float at(std::uint32_t x, std::uint32_t y, std::uint32_t channel) const {
        return values[(std::size_t{y} * width + x) * 4 + channel];
    }
    std::size_t bytes() const { return values.size() * sizeof(float); }
};

// Reproducible noise in [0.05, 1), so that every channel of every pixel differs.
inline Frame noiseFrame(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 7) {
    Frame frame(width, height);
    std::mt19937 generator(seed);
    for (float& value : frame.values) {
        value = 0.05F + 0.95F * static_cast<float>(generator() >> 8) / 16777216.0F;
    }
    return frame;
}

// Fails when any channel differs by more than the tolerance (NaN counts as infinitely far)
// and names the worst pixel either way.
inline ::testing::AssertionResult matchesWithin(const Frame& expected, const Frame& actual,
                                                float tolerance) {
    if (expected.values.size() != actual.values.size()) {
        return ::testing::AssertionFailure() << "frames differ in size";
    }
    float worst = -1.0F;
    std::size_t worstIndex = 0;
    for (std::size_t i = 0; i < expected.values.size(); ++i) {
        float difference = std::fabs(expected.values[i] - actual.values[i]);
        if (std::isnan(difference)) {
            difference = std::numeric_limits<float>::infinity();
        }
        if (difference > worst) {
            worst = difference;
            worstIndex = i;
        }
    }
    const std::size_t pixel = worstIndex / 4;
    std::ostringstream report;
    report << "worst pixel (" << pixel % expected.width << ", " << pixel / expected.width
           << ") channel " << worstIndex % 4 << ": expected " << expected.values[worstIndex]
           << ", got " << actual.values[worstIndex] << ", difference " << worst << ", tolerance "
           << tolerance;
    if (worst <= tolerance) {
        return ::testing::AssertionSuccess() << report.str();
    }
    return ::testing::AssertionFailure() << report.str();
}

// Checks the match and prints the worst pixel, also when it is within the tolerance.
inline void expectMatch(const Frame& expected, const Frame& actual, float tolerance) {
    const ::testing::AssertionResult result = matchesWithin(expected, actual, tolerance);
    std::cout << "[ compare  ] " << result.message() << "\n";
    EXPECT_TRUE(result);
}

} // namespace PixelFrames
