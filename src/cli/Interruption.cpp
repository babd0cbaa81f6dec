#include "cli/Interruption.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "signal handlers need a lock-free flag");

extern "C" void requestStop(int signalNumber) {
    stopRequested.store(true);
    std::signal(signalNumber, SIG_DFL);
}

} // namespace

void Interruption::install() {
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
}

bool Interruption::requested() {
    return stopRequested.load();
}
