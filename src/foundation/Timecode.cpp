#include "foundation/Timecode.h"

#include "foundation/InvalidTimecodeException.h"

#include <boost/algorithm/string/split.hpp>
#include <boost/lexical_cast.hpp>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <sstream>
#include <vector>

namespace Timecode {

namespace {

InvalidTimecodeException invalidTimecodeExceptionDueToInvalidFormat(const char* text, float fps) {
    return InvalidTimecodeException(
        "Timecode object could not be constructed due to invalid format.", text, fps);
}

InvalidTimecodeException
invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(const Timecode& lhs,
                                                             const Timecode& rhs) {
    return InvalidTimecodeException("Timecode subtraction could not be performed.",
                                    lhs.string(true), rhs.string(true));
}

// A rate whose frame base fits an unsigned 32-bit count. NaN and infinity fail
// every comparison below except the explicit check.
bool hasUsableFrameBase(float fps) {
    return std::isfinite(fps) && fps > 0.0F &&
           std::ceil(static_cast<double>(fps)) <=
               static_cast<double>(std::numeric_limits<unsigned int>::max());
}

// Frames in one second: the rate rounded up, so 23.976 counts 24 frames.
// Only called for rates accepted by hasUsableFrameBase.
unsigned int frameBase(float fps) {
    return static_cast<unsigned int>(std::ceil(static_cast<double>(fps)));
}

// Whole seconds counted from 00:00:00, without wrapping for large hours.
std::uint64_t secondsOfDay(const Timecode& timecode) {
    return static_cast<std::uint64_t>(timecode.hours) * 3600U +
           static_cast<std::uint64_t>(timecode.minutes) * 60U + timecode.seconds;
}

// Absolute frame index in unsigned 32-bit arithmetic.
unsigned int absoluteFrameIndex(const Timecode& timecode, unsigned int base) {
    return (timecode.hours * 3600U + timecode.minutes * 60U + timecode.seconds) * base +
           timecode.frames;
}

bool parseField(const std::string& piece, unsigned int& value) {
    try {
        value = boost::lexical_cast<unsigned int>(piece);
        return true;
    } catch (const boost::bad_lexical_cast&) {
        return false;
    }
}

} // namespace

Timecode::Timecode(const char* text, float rate) : fps(rate) {
    const std::string source = text != nullptr ? text : "";
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, source, [](char c) { return c == ':'; });

    const bool fourNumericFields = pieces.size() == 4 && parseField(pieces[0], hours) &&
                                   parseField(pieces[1], minutes) &&
                                   parseField(pieces[2], seconds) && parseField(pieces[3], frames);
    const bool validClock = fourNumericFields && minutes <= 59 && seconds <= 59;
    const bool validRate =
        fps == 0.0F || (hasUsableFrameBase(fps) && fps > static_cast<float>(frames));
    if (!validClock || !validRate) {
        throw invalidTimecodeExceptionDueToInvalidFormat(source.c_str(), rate);
    }
}

std::string Timecode::string(bool withFps) const {
    std::ostringstream text;
    text << std::setfill('0') << std::setw(2) << hours << ':' << std::setw(2) << minutes << ':'
         << std::setw(2) << seconds << ':' << std::setw(2) << frames;
    if (withFps) {
        text << '@';
        if (fps != std::floor(fps)) {
            text << std::fixed << std::setprecision(2);
        }
        text << fps;
    }
    return text.str();
}

Timecode& Timecode::operator+=(const unsigned int& frameCount) {
    if (!hasUsableFrameBase(fps)) {
        throw InvalidTimecodeException(
            "Frames could not be added to the timecode because it has no frame rate.",
            string(false), fps);
    }
    const std::uint64_t base = frameBase(fps);
    std::uint64_t index = absoluteFrameIndex(*this, frameBase(fps)) + frameCount;
    index &= std::numeric_limits<unsigned int>::max();

    hours = static_cast<unsigned int>(index / (base * 3600U));
    index %= base * 3600U;
    minutes = static_cast<unsigned int>(index / (base * 60U));
    index %= base * 60U;
    seconds = static_cast<unsigned int>(index / base);
    frames = static_cast<unsigned int>(index % base);
    return *this;
}

void Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(const Timecode& lhs,
                                                             const Timecode& rhs) {
    const bool sameRate = lhs.fps == rhs.fps;
    const bool exactlyOneRate = (lhs.fps > 0.0F) != (rhs.fps > 0.0F);
    if (!sameRate && !exactlyOneRate) {
        throw InvalidTimecodeException("Timecode comparison could not be performed.",
                                       lhs.string(true), rhs.string(true));
    }
}

Timecode operator+(const Timecode timecode, const unsigned int& frameCount) {
    Timecode moved = timecode;
    moved += frameCount;
    return moved;
}

unsigned int operator-(const Timecode lhs, const Timecode rhs) {
    const bool ratesFit = hasUsableFrameBase(rhs.fps) && (lhs.fps == rhs.fps || lhs.fps == 0.0F);
    if (!ratesFit) {
        throw invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(lhs, rhs);
    }
    const unsigned int base = frameBase(rhs.fps);
    const unsigned int lhsIndex = absoluteFrameIndex(lhs, base);
    const unsigned int rhsIndex = absoluteFrameIndex(rhs, base);
    if (lhsIndex < rhsIndex) {
        throw invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(lhs, rhs);
    }
    return lhsIndex - rhsIndex;
}

bool operator==(const Timecode lhs, const Timecode rhs) {
    Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(lhs, rhs);
    return lhs.hours == rhs.hours && lhs.minutes == rhs.minutes && lhs.seconds == rhs.seconds &&
           lhs.frames == rhs.frames;
}

bool operator<(const Timecode lhs, const Timecode rhs) {
    Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(lhs, rhs);
    const std::uint64_t lhsSeconds = secondsOfDay(lhs);
    const std::uint64_t rhsSeconds = secondsOfDay(rhs);
    if (lhsSeconds != rhsSeconds) {
        return lhsSeconds < rhsSeconds;
    }
    return lhs.frames < rhs.frames;
}

} // namespace Timecode
