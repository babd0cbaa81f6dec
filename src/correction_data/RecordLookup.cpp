#include "correction_data/RecordLookup.h"

#include "foundation/Exception.h"

#include <iterator>
#include <limits>

namespace CorrectionData {

const Frame* RecordLookup::recordAtOrBefore(const Content& content, unsigned int frameNumber) {
    const auto after = content.frames.upper_bound(frameNumber);
    return after == content.frames.begin() ? nullptr : &std::prev(after)->second;
}

bool RecordLookup::frameNumberOfTimecode(const Content& content, const Timecode::Timecode& timecode,
                                         unsigned int& frameNumber) {
    if (content.frames.empty()) {
        return false;
    }
    const Frame& first = content.frames.begin()->second;
    unsigned int offset = 0;
    try {
        const Timecode::Timecode firstTimecode(first.timecode.c_str(), content.header.tc.fps,
                                               content.header.tc.drop);
        offset = timecode - firstTimecode;
    } catch (const Exception&) {
        return false;
    }
    if (offset > std::numeric_limits<unsigned int>::max() - first.number) {
        return false;
    }
    frameNumber = first.number + offset;
    return true;
}

} // namespace CorrectionData
