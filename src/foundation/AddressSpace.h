#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The process's address space, which a scheduler or `ulimit -v` (RLIMIT_AS)
// may cap. Some libraries do not fail cleanly when it runs out: OpenBLAS
// waits forever for its work buffer and PoCL asserts. Before calling them,
// the code asks whether there is room.
namespace AddressSpace {

// Whether `size` more bytes can be mapped now.
bool hasRoomFor(std::size_t size);

// The cap in bytes; 0 when there is none.
std::uint64_t limit();

// "Address Space Limit: <megabytes> MB (ulimit -v)", or "" when there is no
// cap: a detail line for failures that a cap may cause.
std::string limitLine();

} // namespace AddressSpace
