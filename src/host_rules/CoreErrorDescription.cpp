#include "host_rules/CoreErrorDescription.h"

#include "core/Core.h"
#include "foundation/Exception.h"
#include "host_rules/TextCut.h"

#include <cstddef>
#include <memory>
#include <new>

namespace {

constexpr std::size_t briefBufferSize = 4096;
constexpr std::size_t detailedBufferSize = 16384;
// Longer descriptions are not read at all.
constexpr std::size_t largestReadSize = std::size_t{1} << 26;

// The whole description, read through ever larger buffers; it is then cut to
// what a buffer of `size` holds, so that every host shows the same text.
template <typename Read>
bool readInto(const Core::Core& core, std::size_t size, Read read, std::string& text) {
    if (core.failureKind() == Core::FailureKind::None) {
        return false;
    }
    for (std::size_t readSize = size; readSize <= largestReadSize; readSize *= 2) {
        std::unique_ptr<char[]> buffer;
        try {
            buffer = std::make_unique<char[]>(readSize);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (read(buffer.get(), readSize)) {
            text = TextCut::toLength(buffer.get(), size - 1);
            return true;
        }
    }
    return false;
}

} // namespace

bool CoreErrorDescription::brief(const Core::Core& core, std::string& text) {
    return readInto(
        core, briefBufferSize,
        [&core](char* buffer, std::size_t size) {
            return core.briefErrorDescription(buffer, size);
        },
        text);
}

bool CoreErrorDescription::detailed(const Core::Core& core, std::string& text) {
    return readInto(
        core, detailedBufferSize,
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
    return detailLinesOf(detail);
}
