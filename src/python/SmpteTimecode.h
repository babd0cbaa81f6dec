#pragma once

#include <cstdint>
#include <string>

// An SMPTE timecode as EXR headers store it and OpenImageIO gives it (its
// first word: hours, minutes, seconds and frames in binary-coded decimal,
// with flag bits beside them), written "HH:MM:SS:FF" as the tool reads it
// from the header. The flags (drop frame, colour frame, field phase, binary
// groups) are ignored. Throws ArgumentFailure for a digit that is not decimal.
std::string smpteTimecodeText(std::uint32_t timeAndFlags);
