#pragma once

#include "foundation/Exception.h"

#include <string>

namespace CorrectionFile {

// A correction file text that does not follow the ".vlcf" format. Either
// names the offending line (number from 1 and text without carriage returns)
// or gives a reason; the reason-only form keeps line number 0 and no text.
class InvalidFormatException : public Exception {
public:
    // Detail: "Line Number: <n>" and "Line Content: \"<line>\"".
    InvalidFormatException(unsigned int lineNumber, const std::string& lineContent);
    // Detail: "Reason: <reason>".
    explicit InvalidFormatException(const std::string& reason);

    unsigned int lineNumber() const noexcept { return lineNumber_; }
    const std::string& lineContent() const noexcept { return lineContent_; }

private:
    unsigned int lineNumber_ = 0;
    std::string lineContent_;
};

} // namespace CorrectionFile
