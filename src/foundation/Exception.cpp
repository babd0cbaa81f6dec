#include "foundation/Exception.h"

Exception::Exception(const std::string& brief) : briefDescription_(brief) {}

Exception::Exception(const std::string& brief, const std::string& detail)
    : briefDescription_(brief), detail_(detail) {}

const char* Exception::what() const noexcept {
    return briefDescription_.c_str();
}

std::string Exception::detailedDescription() const noexcept {
    std::string description = briefDescription_ + '\n';
    if (!detail_.empty()) {
        description += detail_;
        description += '\n';
    }
    return description;
}
