#include "host_rules/FrameSizeLimit.h"

#include "foundation/Exception.h"

#include <string>

void FrameSizeLimit::check(std::int64_t width, std::int64_t height) {
    constexpr std::uint64_t largestPixelCount = std::uint64_t{1} << 28;
    const bool negative = width < 0 || height < 0;
    if (negative || static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
                        largestPixelCount) {
        throw Exception("The corrected frame would be too large to process. Check the image "
                        "size and the correction data.",
                        "Corrected Frame Size: " + std::to_string(width) + "x" +
                            std::to_string(height) + " px");
    }
}
