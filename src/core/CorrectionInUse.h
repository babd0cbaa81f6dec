#pragma once

#include <cstdint>
#include <string>

namespace Core {

// The correction data that a frame is corrected with: the record and where it
// came from.
struct CorrectionInUse {
    // The absolute path of the correction file, or "embedded" for correction
    // data in the clip's own metadata.
    std::string correctionFile;
    // The record's frame number in the correction file; 0 for embedded data.
    unsigned int record = 0;
    // The record's own timecode; empty when it has none.
    std::string recordTimecode;
    // The correction file as it was when read; all 0 for embedded data.
    std::uint64_t fileSize = 0;
    std::int64_t modificationTimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
};

} // namespace Core
