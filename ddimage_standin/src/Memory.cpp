#include "DDImage/Memory.h"

#include "DDImageStandIn/MemoryAccount.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct Account {
    std::mutex access;
    std::map<void*, size_t> blocks;
    size_t inUse = 0;
    size_t peak = 0;
};

Account& account() {
    static Account shared;
    return shared;
}

} // namespace

namespace DD {
namespace Image {

void* Memory::allocate_void(size_t size) {
    void* data = std::malloc(size == 0 ? 1 : size);
    if (data == nullptr) {
        return nullptr;
    }
    Account& shared = account();
    const std::lock_guard<std::mutex> lock(shared.access);
    shared.blocks[data] = size;
    shared.inUse += size;
    shared.peak = shared.inUse > shared.peak ? shared.inUse : shared.peak;
    return data;
}

void Memory::deallocate_void(void* data, size_t /*size*/) {
    if (data == nullptr) {
        return;
    }
    Account& shared = account();
    {
        const std::lock_guard<std::mutex> lock(shared.access);
        const auto block = shared.blocks.find(data);
        if (block != shared.blocks.end()) {
            shared.inUse -= block->second;
            shared.blocks.erase(block);
        }
    }
    std::free(data);
}

} // namespace Image
} // namespace DD

namespace DDImageStandIn {

size_t memoryInUse() {
    Account& shared = account();
    const std::lock_guard<std::mutex> lock(shared.access);
    return shared.inUse;
}

size_t peakMemoryInUse() {
    Account& shared = account();
    const std::lock_guard<std::mutex> lock(shared.access);
    return shared.peak;
}

void resetPeakMemoryInUse() {
    Account& shared = account();
    const std::lock_guard<std::mutex> lock(shared.access);
    shared.peak = shared.inUse;
}

} // namespace DDImageStandIn
