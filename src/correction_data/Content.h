#pragma once

#include "correction_data/Frame.h"
#include "correction_data/Header.h"
#include "correction_data/SourceFile.h"

#include <map>

namespace CorrectionData {

// Everything read from one correction source: the header and every frame,
// keyed and ordered by frame number. Shared read-only once filled.
struct Content {
    Header header;
    std::map<unsigned int, Frame> frames;
    // Where it was read from; no path for content that did not come from a file.
    SourceFile source;
};

} // namespace CorrectionData
