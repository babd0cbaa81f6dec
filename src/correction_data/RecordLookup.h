#pragma once

#include "correction_data/Content.h"
#include "foundation/Timecode.h"

namespace CorrectionData {

// How a frame finds its record in a clip's correction data.
namespace RecordLookup {

// The record at or before a frame number; null when the number lies before
// the first record.
const Frame* recordAtOrBefore(const Content& content, unsigned int frameNumber);

// The frame number that a timecode stands for: the first record is anchored
// at its own timecode (read at the header's rate) and later frames are
// counted from there. False when there is no record, a timecode cannot be
// compared, or the count passes the largest frame number.
bool frameNumberOfTimecode(const Content& content, const Timecode::Timecode& timecode,
                           unsigned int& frameNumber);

} // namespace RecordLookup
} // namespace CorrectionData
