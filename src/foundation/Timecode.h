#pragma once

#include <string>

namespace Timecode {

// A SMPTE-style timecode hours:minutes:seconds:frames with its rate.
//
// Every second holds ceil(fps) frames (23.976 counts as 24, 29.97 as 30);
// drop-frame counting is not modelled. A rate of 0 means that no rate is
// known: such a timecode can be compared and subtracted from, but not moved.
class Timecode {
public:
    // Parses "h:m:s:f". Throws InvalidTimecodeException when the text has not
    // exactly four numeric fields, minutes or seconds above 59, a frame not
    // below a non-zero rate, or a rate that is negative, NaN or infinite.
    Timecode(const char* text, float fps);

    // "01:02:03:04", with "@25" or "@23.98" appended when withFps is true.
    std::string string(bool withFps) const;

    // Moves forward by frameCount frames; throws InvalidTimecodeException when
    // the timecode has no rate.
    Timecode& operator+=(const unsigned int& frameCount);

    // Throws InvalidTimecodeException unless the rates are equal or one of them is 0.
    static void checkIfTimecodesAreComparableAndThrowIfNeeded(const Timecode& lhs,
                                                              const Timecode& rhs);

    unsigned int hours = 0;
    unsigned int minutes = 0;
    unsigned int seconds = 0;
    unsigned int frames = 0;
    float fps = 0.0F;
};

Timecode operator+(const Timecode timecode, const unsigned int& frameCount);

// Frames from rhs forward to lhs. rhs needs a rate; lhs needs the same rate or
// none; lhs must not lie before rhs. Otherwise throws InvalidTimecodeException.
unsigned int operator-(const Timecode lhs, const Timecode rhs);

// Both compare the time fields only, after checking that the rates are comparable.
bool operator==(const Timecode lhs, const Timecode rhs);
bool operator<(const Timecode lhs, const Timecode rhs);

} // namespace Timecode
