// Timecodes built from any text and rate: construction, printing, adding,
// subtracting and comparing either work or throw InvalidTimecodeException.
#include "foundation/InvalidTimecodeException.h"
#include "foundation/Timecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

float rateFrom(const std::uint8_t* data, std::size_t size) {
    float rate = 0.0F;
    std::memcpy(&rate, data, size < sizeof rate ? size : sizeof rate);
    return rate;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 * sizeof(float) + 4) {
        return 0;
    }
    const float lhsRate = rateFrom(data, size);
    const float rhsRate = rateFrom(data + sizeof(float), size - sizeof(float));
    std::uint32_t frames = 0;
    std::memcpy(&frames, data + 2 * sizeof(float), sizeof frames);
    const std::string rest(reinterpret_cast<const char*>(data) + 2 * sizeof(float) + 4,
                           size - 2 * sizeof(float) - 4);
    const auto split = rest.find('\n');
    const std::string lhsText = rest.substr(0, split);
    const std::string rhsText = split == std::string::npos ? lhsText : rest.substr(split + 1);
    try {
        Timecode::Timecode lhs(lhsText.c_str(), lhsRate);
        const Timecode::Timecode rhs(rhsText.c_str(), rhsRate);
        if (lhs.string(true).empty()) {
            std::abort();
        }
        try {
            (void)(lhs - rhs);
        } catch (const Timecode::InvalidTimecodeException&) {
        }
        try {
            (void)(lhs == rhs);
            (void)(lhs < rhs);
        } catch (const Timecode::InvalidTimecodeException&) {
        }
        lhs += frames;
        if (lhs.minutes > 59 || lhs.seconds > 59) {
            std::abort();
        }
    } catch (const Timecode::InvalidTimecodeException& error) {
        if (std::string(error.what()).empty()) {
            std::abort();
        }
    }
    return 0;
}
