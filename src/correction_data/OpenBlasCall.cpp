#include "correction_data/OpenBlasCall.h"

#include "foundation/AddressSpace.h"

#include <cstddef>
#include <new>

namespace CorrectionData {

namespace {

// OpenBLAS's buffer, with room to spare for the mapping's own alignment.
constexpr std::size_t workBufferSize = std::size_t{160} << 20;

// One buffer for the whole process, as OpenBLAS keeps it: the lock and the
// flag are process-wide because the buffer is.
std::mutex callLock;
bool workBufferMapped = false;

} // namespace

OpenBlasCall::OpenBlasCall() : lock_(callLock) {
    if (!workBufferMapped) {
        if (!AddressSpace::hasRoomFor(workBufferSize)) {
            throw std::bad_alloc();
        }
        workBufferMapped = true;
    }
}

} // namespace CorrectionData
