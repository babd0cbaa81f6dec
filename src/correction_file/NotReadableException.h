#pragma once

#include "foundation/Exception.h"

#include <string>

namespace CorrectionFile {

// A correction file that cannot be opened for reading.
class NotReadableException : public Exception {
public:
    // Detail: "File Path: \"<path>\"".
    explicit NotReadableException(const std::string& filePath);

    const std::string& filePath() const noexcept { return filePath_; }

private:
    std::string filePath_;
};

} // namespace CorrectionFile
