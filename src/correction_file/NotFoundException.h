#pragma once

#include "foundation/Exception.h"

#include <string>
#include <vector>

namespace CorrectionFile {

// No correction file belonging to the clip lies in any searched directory.
class NotFoundException : public Exception {
public:
    // Detail: "Clip File Path: \"<path>\"", "Searched Directory Paths:", then
    // one line "\t\"<directory>\"" per searched directory, in search order.
    NotFoundException(const std::string& clipFilePath,
                      const std::vector<std::string>& searchedDirectoryPaths);

    const std::string& clipFilePath() const noexcept { return clipFilePath_; }
    const std::vector<std::string>& searchedDirectoryPaths() const noexcept {
        return searchedDirectoryPaths_;
    }

private:
    std::string clipFilePath_;
    std::vector<std::string> searchedDirectoryPaths_;
};

} // namespace CorrectionFile
