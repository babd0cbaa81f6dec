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

// Labels skipped at the start of each minute that is not a tenth: 2 at a frame
// base of 30, 4 at 60, none at rates without a drop-frame scheme.
unsigned int droppedLabelsPerMinute(unsigned int base) {
    return base == 30U || base == 60U ? base / 15U : 0U;
}

unsigned int droppedLabelsPerMinute(const Timecode& timecode, unsigned int base) {
    return timecode.dropFrame ? droppedLabelsPerMinute(base) : 0U;
}

// Absolute frame index in unsigned 32-bit arithmetic; drop-frame labels that
// were skipped before the timecode are not counted.
unsigned int absoluteFrameIndex(const Timecode& timecode, unsigned int base, unsigned int dropped) {
    const unsigned int totalMinutes = timecode.hours * 60U + timecode.minutes;
    return (timecode.hours * 3600U + timecode.minutes * 60U + timecode.seconds) * base +
           timecode.frames - dropped * (totalMinutes - totalMinutes / 10U);
}

// The labels from an absolute frame index: the inverse of absoluteFrameIndex.
void setLabels(Timecode& timecode, std::uint64_t index, std::uint64_t base, std::uint64_t dropped) {
    if (dropped != 0) {
        const std::uint64_t framesPerTenMinutes = base * 600U - 9U * dropped;
        const std::uint64_t framesPerMinute = base * 60U - dropped;
        const std::uint64_t tens = index / framesPerTenMinutes;
        const std::uint64_t rest = index % framesPerTenMinutes;
        index += 9U * dropped * tens;
        if (rest >= dropped) {
            index += dropped * ((rest - dropped) / framesPerMinute);
        }
    }
    timecode.hours = static_cast<unsigned int>(index / (base * 3600U));
    index %= base * 3600U;
    timecode.minutes = static_cast<unsigned int>(index / (base * 60U));
    index %= base * 60U;
    timecode.seconds = static_cast<unsigned int>(index / base);
    timecode.frames = static_cast<unsigned int>(index % base);
}

// Frames from rhs forward to lhs on a 24-hour clock, or false when the shorter
// way round runs backwards.
bool forwardOnTheClock(unsigned int lhsIndex, unsigned int rhsIndex, unsigned int framesPerDay,
                       unsigned int& frames) {
    const unsigned int forward =
        lhsIndex >= rhsIndex ? lhsIndex - rhsIndex : framesPerDay - (rhsIndex - lhsIndex);
    if (forward > framesPerDay - forward) {
        return false;
    }
    frames = forward;
    return true;
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

Timecode::Timecode(const char* text, float rate, bool drop) : fps(rate) {
    const std::string source = text != nullptr ? text : "";
    const unsigned int dropped =
        hasUsableFrameBase(fps) && drop ? droppedLabelsPerMinute(frameBase(fps)) : 0U;
    dropFrame = dropped != 0;
    // Drop-frame labels are often written with a semicolon before the frames.
    std::string clock = source;
    const std::size_t lastSeparator = clock.find_last_of(":;");
    if (dropFrame && lastSeparator != std::string::npos && clock[lastSeparator] == ';') {
        clock[lastSeparator] = ':';
    }
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, clock, [](char c) { return c == ':'; });

    const bool fourNumericFields = pieces.size() == 4 && parseField(pieces[0], hours) &&
                                   parseField(pieces[1], minutes) &&
                                   parseField(pieces[2], seconds) && parseField(pieces[3], frames);
    const bool validClock = fourNumericFields && minutes <= 59 && seconds <= 59;
    const bool validRate =
        fps == 0.0F || (hasUsableFrameBase(fps) && fps > static_cast<float>(frames));
    const bool skippedLabel =
        validClock && minutes % 10U != 0U && seconds == 0U && frames < dropped;
    if (!validClock || !validRate || skippedLabel) {
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
    const unsigned int base = frameBase(fps);
    const unsigned int dropped = droppedLabelsPerMinute(*this, base);
    std::uint64_t index =
        static_cast<std::uint64_t>(absoluteFrameIndex(*this, base, dropped)) + frameCount;
    index &= std::numeric_limits<unsigned int>::max();
    setLabels(*this, index, base, dropped);
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
    const unsigned int dropped = droppedLabelsPerMinute(rhs, base);
    const unsigned int lhsIndex = absoluteFrameIndex(lhs, base, dropped);
    const unsigned int rhsIndex = absoluteFrameIndex(rhs, base, dropped);
    if (lhs.hours < 24U && rhs.hours < 24U) {
        const unsigned int framesPerDay = 24U * 3600U * base - dropped * (24U * 60U - 24U * 6U);
        unsigned int frames = 0;
        if (!forwardOnTheClock(lhsIndex, rhsIndex, framesPerDay, frames)) {
            throw invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(lhs, rhs);
        }
        return frames;
    }
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
