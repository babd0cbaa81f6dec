#pragma once

#include "correction_file/SkippedPaths.h"
#include "foundation/Exception.h"

#include <string>
#include <vector>

namespace CorrectionFile {

// No correction file belonging to the clip lies in any searched directory.
class NotFoundException : public Exception {
public:
    // Detail: "Clip File Path: \"<path>\"", "Searched Directory Paths:", then
    // one line "\t\"<directory>\"" per searched directory, in search order.
    // When the search passed over anything, a section follows for each kind,
    // one line "\t\"<path>\": <reason>" per path.
    NotFoundException(const std::string& clipFilePath,
                      const std::vector<std::string>& searchedDirectoryPaths,
                      const SkippedPaths& skippedPaths = SkippedPaths());

    const std::string& clipFilePath() const noexcept { return clipFilePath_; }
    const std::vector<std::string>& searchedDirectoryPaths() const noexcept {
        return searchedDirectoryPaths_;
    }
    const SkippedPaths& skippedPaths() const noexcept { return skippedPaths_; }

private:
    std::string clipFilePath_;
    std::vector<std::string> searchedDirectoryPaths_;
    SkippedPaths skippedPaths_;
};

} // namespace CorrectionFile
