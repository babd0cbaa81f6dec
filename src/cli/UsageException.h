#pragma once

#include "foundation/Exception.h"

#include <string>

// A command line that cannot be run as written; the tool exits with status 2.
class UsageException : public Exception {
public:
    explicit UsageException(const std::string& brief);
    UsageException(const std::string& brief, const std::string& detail);
};
