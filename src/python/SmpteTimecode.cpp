#include "python/SmpteTimecode.h"

#include "python/ArrayCorrector.h"

#include <array>
#include <cstdio>

namespace {

// Two decimal digits, tens in the upper four bits.
unsigned int decimal(std::uint32_t digits, std::uint32_t word) {
    const std::uint32_t tens = digits >> 4U;
    const std::uint32_t units = digits & 0xFU;
    if (tens > 9 || units > 9) {
        std::array<char, 16> hex{};
        std::snprintf(hex.data(), hex.size(), "0x%08X", static_cast<unsigned int>(word));
        throw ArgumentFailure("The SMPTE timecode holds a digit that is not decimal.",
                              std::string("SMPTE Timecode: ") + hex.data());
    }
    return tens * 10 + units;
}

} // namespace

std::string smpteTimecodeText(std::uint32_t timeAndFlags) {
    const unsigned int hours = decimal((timeAndFlags >> 24U) & 0x3FU, timeAndFlags);
    const unsigned int minutes = decimal((timeAndFlags >> 16U) & 0x7FU, timeAndFlags);
    const unsigned int seconds = decimal((timeAndFlags >> 8U) & 0x7FU, timeAndFlags);
    const unsigned int frames = decimal(timeAndFlags & 0x3FU, timeAndFlags);
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%02u:%02u:%02u:%02u", hours, minutes, seconds, frames);
    return text.data();
}
