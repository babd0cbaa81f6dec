#include "host_rules/CoreErrorDescription.h"

#include "core/Core.h"

#include <cstddef>
#include <vector>

namespace {

constexpr std::size_t briefBufferSize = 4096;
constexpr std::size_t detailedBufferSize = 16384;

template <typename Read>
bool readInto(std::size_t size, Read read, std::string& text) {
    std::vector<char> buffer(size, '\0');
    if (!read(buffer.data(), buffer.size())) {
        return false;
    }
    text = buffer.data();
    return true;
}

} // namespace

bool CoreErrorDescription::brief(const Core::Core& core, std::string& text) {
    return readInto(
        briefBufferSize,
        [&core](char* buffer, std::size_t size) {
            return core.briefErrorDescription(buffer, size);
        },
        text);
}

bool CoreErrorDescription::detailed(const Core::Core& core, std::string& text) {
    return readInto(
        detailedBufferSize,
        [&core](char* buffer, std::size_t size) {
            return core.detailedErrorDescription(buffer, size);
        },
        text);
}

std::string CoreErrorDescription::detailLines(const Core::Core& core) {
    std::string detail;
    if (!detailed(core, detail)) {
        return "";
    }
    const std::size_t firstLineEnd = detail.find('\n');
    detail = firstLineEnd == std::string::npos ? "" : detail.substr(firstLineEnd + 1);
    while (!detail.empty() && detail.back() == '\n') {
        detail.pop_back();
    }
    return detail;
}
