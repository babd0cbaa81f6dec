#pragma once

#include <string>
#include <vector>

namespace CorrectionFile {

// A path a search had to pass over, and why.
struct SkippedPath {
    std::string path;
    std::string reason;
};

// What a search for a correction file passed over, each path once, in the
// order it was met.
struct SkippedPaths {
    // Directories that could not be listed.
    std::vector<SkippedPath> directories;
    // Entries whose status could not be read, such as a symbolic link that
    // points at itself.
    std::vector<SkippedPath> entries;
    // Correction files that could not be read, or whose header is invalid.
    std::vector<SkippedPath> correctionFiles;
};

} // namespace CorrectionFile
