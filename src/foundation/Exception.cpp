#include "foundation/Exception.h"

#include <cstddef>
#include <string>

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

std::string detailLinesOf(const std::string& detailedDescription) {
    const std::size_t firstLineEnd = detailedDescription.find('\n');
    if (firstLineEnd == std::string::npos) {
        return "";
    }
    std::string detail = detailedDescription.substr(firstLineEnd + 1);
    while (!detail.empty() && detail.back() == '\n') {
        detail.pop_back();
    }
    return detail;
}
