#pragma once

#include <cstddef>

// Floats of a frame taken from the host's allocator, so that the host's
// memory limit sees them, and given back when the buffer ends. Zeroed.
class HostFrameBuffer {
public:
    explicit HostFrameBuffer(size_t count);
    ~HostFrameBuffer();

    HostFrameBuffer(const HostFrameBuffer&) = delete;
    HostFrameBuffer& operator=(const HostFrameBuffer&) = delete;

    // Null when the host had no memory for it.
    float* data() const { return data_; }
    size_t size() const { return data_ != nullptr ? count_ : 0; }

private:
    size_t count_;
    float* data_;
};
