#pragma once

#include "correction_data/Frame.h"
#include "correction_data/Header.h"
#include "foundation/Timecode.h"

namespace CorrectionData {

// Correction data of one clip: its header, and the frame record that belongs
// to a frame number or a timecode. Lookups copy into the caller's record or
// throw DataNotAvailableException.
class Container {
public:
    virtual ~Container() = default;

    virtual void headerData(Header& header) = 0;
    virtual void frameData(unsigned int frameNumber, Frame& frame) = 0;
    virtual void frameData(Timecode::Timecode timecode, Frame& frame) = 0;

protected:
    Container() = default;
    Container(const Container&) = default;
    Container& operator=(const Container&) = default;
};

} // namespace CorrectionData
