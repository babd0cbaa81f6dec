#include "host_rules/FrameSizeLimit.h"

#include "foundation/Exception.h"

#include <string>

namespace {

constexpr std::uint64_t largestPixelCount = std::uint64_t{1} << 28;
constexpr std::uint64_t largestValueCount = std::uint64_t{1} << 30;

} // namespace

bool FrameSizeLimit::imageFits(std::int64_t width, std::int64_t height, std::int64_t channelCount) {
    if (width < 0 || height < 0 || channelCount < 0) {
        return false;
    }
    const auto columns = static_cast<std::uint64_t>(width);
    const auto rows = static_cast<std::uint64_t>(height);
    // Each factor is bounded before it multiplies, so nothing overflows.
    if (columns > largestPixelCount || rows > largestPixelCount ||
        columns * rows > largestPixelCount) {
        return false;
    }
    const std::uint64_t pixelCount = columns * rows;
    return pixelCount == 0 ||
           static_cast<std::uint64_t>(channelCount) <= largestValueCount / pixelCount;
}

void FrameSizeLimit::check(std::int64_t width, std::int64_t height) {
    const bool negative = width < 0 || height < 0;
    if (negative || static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
                        largestPixelCount) {
        throw Exception("The corrected frame would be too large to process. Check the image "
                        "size and the correction data.",
                        "Corrected Frame Size: " + std::to_string(width) + "x" +
                            std::to_string(height) + " px");
    }
}
