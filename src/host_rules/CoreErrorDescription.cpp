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
