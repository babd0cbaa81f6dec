#pragma once

#include "foundation/Exception.h"

#include <string>

namespace CorrectionData {

// A correction file chosen by hand names another clip than the one in use.
class FileMismatchException : public Exception {
public:
    FileMismatchException(const std::string& clipFileName, const std::string& correctionFilePath,
                          const std::string& clipFileNameInCorrectionFile);

    const std::string clipFileName;
    const std::string correctionFilePath;
    const std::string clipFileNameInCorrectionFile;
};

} // namespace CorrectionData
