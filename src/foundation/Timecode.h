#pragma once

#include <string>

namespace Timecode {

// A SMPTE-style timecode hours:minutes:seconds:frames with its rate.
//
// Every second holds ceil(fps) frames (23.976 counts as 24, 29.97 as 30).
// Drop-frame timecodes at 29.97 and 59.94 (frame bases 30 and 60) skip the
// labels :00 and :01 (:00 to :03 at 59.94) at the start of every minute except
// each tenth; at other rates the drop-frame flag changes nothing. A rate of 0
// means that no rate is known: such a timecode can be compared and subtracted
// from, but not moved.
class Timecode {
public:
    // Parses "h:m:s:f" ("h:m:s;f" too for drop-frame). Throws
    // InvalidTimecodeException when the text has not exactly four numeric
    // fields, minutes or seconds above 59, a frame not below a non-zero rate, a
    // label that drop-frame skips, or a rate that is negative, NaN or infinite.
    Timecode(const char* text, float fps, bool dropFrame = false);

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
    // Counted drop-frame: set only at rates that have a drop-frame scheme.
    bool dropFrame = false;
};

Timecode operator+(const Timecode timecode, const unsigned int& frameCount);

// Frames from rhs forward to lhs, counted as rhs counts (its rate and drop
// frame). rhs needs a rate; lhs needs the same rate or none; lhs must not lie
// before rhs. On a 24-hour clock (both below 24 hours) the shorter way round
// decides: a timecode just past midnight lies after one late on the day
// before, and one more than half a day ahead lies before. Otherwise throws
// InvalidTimecodeException.
unsigned int operator-(const Timecode lhs, const Timecode rhs);

// Both compare the time fields only, after checking that the rates are comparable.
bool operator==(const Timecode lhs, const Timecode rhs);
bool operator<(const Timecode lhs, const Timecode rhs);

} // namespace Timecode
