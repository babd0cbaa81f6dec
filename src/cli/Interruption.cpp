#include "cli/Interruption.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> stopsAfterFramesInFlight{false};
static_assert(std::atomic<bool>::is_always_lock_free, "signal handlers need a lock-free flag");

// Slots for the temporary files being written: a slot is claimed (1), then
// its path is written and it is published (2); the handler reads published
// slots only.
constexpr std::size_t slotCount = 16;
constexpr std::size_t longestPath = 4096;
struct Slot {
    std::atomic<int> state{0};
    std::array<char, longestPath> path{};
};
std::array<Slot, slotCount> slots;
static_assert(std::atomic<int>::is_always_lock_free, "signal handlers need lock-free slots");

// Signals whose default action ends the process.
const std::array<int, 15> endingSignals{SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGABRT,
                                        SIGBUS,  SIGFPE,  SIGSEGV, SIGPIPE, SIGALRM,
                                        SIGTERM, SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ};

// Only async-signal-safe calls: unlink, signal, raise.
void removeTemporaryFiles() {
    for (Slot& slot : slots) {
        if (slot.state.load() == 2) {
            unlink(slot.path.data());
        }
    }
}

extern "C" void endProcess(int signalNumber) {
    removeTemporaryFiles();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

extern "C" void requestStop(int signalNumber) {
    if (!stopsAfterFramesInFlight.load() || stopRequested.exchange(true)) {
        endProcess(signalNumber);
        return;
    }
    static const char notice[] = "\nvelor-lens-correct: stopping after the frames in flight; "
                                 "interrupt again to stop at once.\n";
    const ssize_t ignored = write(STDERR_FILENO, notice, sizeof notice - 1);
    static_cast<void>(ignored);
}

} // namespace

void Interruption::install() {
    for (const int signalNumber : endingSignals) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer reports these faults itself.
        if (signalNumber == SIGSEGV || signalNumber == SIGBUS || signalNumber == SIGFPE ||
            signalNumber == SIGILL) {
            continue;
        }
#endif
        std::signal(signalNumber,
                    signalNumber == SIGINT || signalNumber == SIGTERM ? requestStop : endProcess);
    }
}

bool Interruption::requested() {
    return stopRequested.load();
}

void Interruption::stopAfterFramesInFlight() {
    stopsAfterFramesInFlight.store(true);
}

bool Interruption::addTemporaryFile(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length >= longestPath) {
        return false;
    }
    for (Slot& slot : slots) {
        int free = 0;
        if (slot.state.compare_exchange_strong(free, 1)) {
            std::memcpy(slot.path.data(), path, length + 1);
            slot.state.store(2);
            return true;
        }
    }
    return false;
}

void Interruption::removeTemporaryFile(const char* path) {
    for (Slot& slot : slots) {
        if (slot.state.load() == 2 && std::strcmp(slot.path.data(), path) == 0) {
            slot.state.store(0);
            return;
        }
    }
}
