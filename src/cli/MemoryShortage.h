#pragma once

#include <system_error>

// Whether a system error means that memory ran out: a thread that cannot be
// started lacks memory for its stack.
inline bool isMemoryShortage(const std::system_error& error) {
    return error.code() == std::errc::resource_unavailable_try_again ||
           error.code() == std::errc::not_enough_memory;
}
