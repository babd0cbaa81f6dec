#pragma once

// The distortion and shading formulas of the renderers, written out for the
// CPU, so that device results can be checked pixel by pixel.

#include "PixelFrames.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace CpuLensModel {

using Coefficients = std::array<float, 7>;
using PixelFrames::Frame;

// The distortion formulas, written out for the CPU.
class CpuDistortion {
public:
    CpuDistortion(const Frame& input, float radius, const Coefficients& a)
        : input_(input), radius_(radius), a_(a) {}

    Frame render() const {
        Frame output(input_.width, input_.height);
        const float w = static_cast<float>(input_.width);
        const float h = static_cast<float>(input_.height);
        const float cx = w / 2.0F - 0.5F;
        const float cy = h / 2.0F - 0.5F;
        const float halfDiagonal = std::sqrt(w * w + h * h) / 2.0F;
        for (std::uint32_t y = 0; y < input_.height; ++y) {
            for (std::uint32_t x = 0; x < input_.width; ++x) {
                const float dx = static_cast<float>(x) - cx;
                const float dy = static_cast<float>(y) - cy;
                const float distance = std::sqrt(dx * dx + dy * dy) / halfDiagonal * radius_;
                float source = a_[0];
                float power = 1.0F;
                for (std::size_t i = 1; i < a_.size(); ++i) {
                    power *= distance;
                    source += a_[i] * power;
                }
                const float factor = distance > 0.0F ? source / distance : 1.0F;
                const std::array<float, 4> pixel = sample(dx * factor + cx, dy * factor + cy);
                for (std::uint32_t c = 0; c < 4; ++c) {
                    output.at(x, y, c) = pixel[c];
                }
            }
        }
        return output;
    }

private:
    std::array<float, 4> sample(float px, float py) const {
        std::array<float, 4> sum{};
        const auto add = [&](float cellX, float cellY, float weight) {
            if (cellX < 0.0F || cellY < 0.0F || cellX >= static_cast<float>(input_.width) ||
                cellY >= static_cast<float>(input_.height)) {
                return;
            }
            for (std::uint32_t c = 0; c < 4; ++c) {
                sum[c] += weight * input_.at(static_cast<std::uint32_t>(cellX),
                                             static_cast<std::uint32_t>(cellY), c);
            }
        };
        const float x0 = std::floor(px);
        const float x1 = std::ceil(px);
        const float y0 = std::floor(py);
        const float y1 = std::ceil(py);
        // A cell is weighted by its overlap with the unit square around the source point.
        if (x0 == x1 && y0 == y1) {
            add(px, py, 1.0F);
        } else if (y0 == y1) {
            add(x0, py, x1 - px);
            add(x1, py, px - x0);
        } else if (x0 == x1) {
            add(px, y0, y1 - py);
            add(px, y1, py - y0);
        } else {
            add(x0, y0, (x1 - px) * (y1 - py));
            add(x1, y0, (px - x0) * (y1 - py));
            add(x0, y1, (x1 - px) * (py - y0));
            add(x1, y1, (px - x0) * (py - y0));
        }
        return sum;
    }

    const Frame& input_;
    float radius_;
    Coefficients a_;
};

// The relative illumination at every pixel, written out for the CPU.
inline float cpuFactor(std::uint32_t width, std::uint32_t height, std::uint32_t x, std::uint32_t y,
                       float radius, const Coefficients& a, bool addShading) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float dx = static_cast<float>(x) - (w / 2.0F - 0.5F);
    const float dy = static_cast<float>(y) - (h / 2.0F - 0.5F);
    const float distance = std::hypot(dx, dy) / (std::hypot(w, h) / 2.0F) * radius;
    float percent = 0.0F;
    for (auto i = a.size(); i-- > 0;) {
        percent = percent * distance + a[i];
    }
    const float illumination = percent / 100.0F;
    return addShading ? illumination : 1.0F / illumination;
}

inline Frame cpuShading(const Frame& input, float radius, const Coefficients& a, bool addShading,
                        float gamma) {
    Frame output(input.width, input.height);
    for (std::uint32_t y = 0; y < input.height; ++y) {
        for (std::uint32_t x = 0; x < input.width; ++x) {
            const float factor = cpuFactor(input.width, input.height, x, y, radius, a, addShading);
            for (std::uint32_t c = 0; c < 3; ++c) {
                output.at(x, y, c) =
                    std::pow(std::pow(input.at(x, y, c), gamma) * factor, 1.0F / gamma);
            }
            output.at(x, y, 3) = input.at(x, y, 3);
        }
    }
    return output;
}

} // namespace CpuLensModel
