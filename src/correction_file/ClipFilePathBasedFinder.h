#pragma once

#include "correction_file/Finder.h"
#include "correction_file/LevelOfDepth.h"

#include <string>

namespace CorrectionFile {

// Finds the correction file of a clip from the clip's file path
// alone. Searched, in this order: the clip's directory; its
// subdirectories up to subdirectoryDepth levels; then up to
// parentDirectoryCount parents, nearest first, each followed by its
// subdirectories up to parentSubdirectoryDepth levels except the branch the
// search came up from. Within a directory every ".vlcf" file is a candidate
// (those whose name contains the clip's stem first); the first whose header
// names the clip file in "videoFileName" or "clipName" is the result. The
// search never descends into /proc, /sys or /dev.
class ClipFilePathBasedFinder : public Finder {
public:
    // Does no file-system work.
    ClipFilePathBasedFinder(const std::string& clipFilePath, const LevelOfDepth& levelOfDepth);

    // Writes the path of the file found into correctionFilePath. Throws
    // NotFoundException (output unchanged) when no searched directory holds
    // one. A directory that cannot be listed, an entry whose status cannot be
    // read and a candidate that cannot be read or parsed are passed over; the
    // exception names them with their reasons.
    void find(std::string& correctionFilePath) const override;

private:
    std::string clipFilePath_;
    LevelOfDepth levelOfDepth_;
};

} // namespace CorrectionFile
