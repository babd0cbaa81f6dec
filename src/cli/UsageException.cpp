#include "cli/UsageException.h"

UsageException::UsageException(const std::string& brief) : Exception(brief) {}

UsageException::UsageException(const std::string& brief, const std::string& detail)
    : Exception(brief, detail) {}
