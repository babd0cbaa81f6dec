#include "foundation/AddressSpace.h"

#include <sys/mman.h>
#include <sys/resource.h>

bool AddressSpace::hasRoomFor(std::size_t size) {
    if (limit() == 0) {
        return true;
    }
    // Only address space is taken, and given back at once.
    void* const probe =
        ::mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (probe == MAP_FAILED) {
        return false;
    }
    ::munmap(probe, size);
    return true;
}

std::uint64_t AddressSpace::limit() {
    rlimit cap{};
    if (::getrlimit(RLIMIT_AS, &cap) != 0 || cap.rlim_cur == RLIM_INFINITY) {
        return 0;
    }
    return cap.rlim_cur;
}

std::string AddressSpace::limitLine() {
    const std::uint64_t bytes = limit();
    if (bytes == 0) {
        return "";
    }
    return "Address Space Limit: " + std::to_string(bytes / 1000000) + " MB (ulimit -v)";
}
