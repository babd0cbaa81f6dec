#include "DDImage/Hash.h"

#include <cstring>
#include <ios>
#include <ostream>

namespace DD {
namespace Image {

// FNV-1a over the bytes: the host only needs equal input to give equal hashes.
void Hash::append(const void* data, size_t length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < length; ++i) {
        value_ ^= bytes[i];
        value_ *= 0x100000001b3ULL;
    }
}

void Hash::append(const char* text) {
    if (text == nullptr) {
        append(static_cast<U64>(0));
        return;
    }
    append(text, std::strlen(text) + 1);
}

} // namespace Image
} // namespace DD

std::ostream& operator<<(std::ostream& stream, const DD::Image::Hash& hash) {
    const auto flags = stream.flags();
    stream << std::hex << hash.value();
    stream.flags(flags);
    return stream;
}
