#pragma once

#include <mutex>

namespace CorrectionData {

// Held around calls into OpenBLAS's LAPACK. OpenBLAS maps a work buffer of
// its own (128 MB of address space) on its first call and keeps it for later
// ones; when the address space cannot hold the buffer, as under a tight
// `ulimit -v`, it retries forever. The calls are made one at a time, so that
// the one buffer serves them all, and the first is made only when the address
// space has room for the buffer; otherwise the constructor throws
// std::bad_alloc.
class OpenBlasCall {
public:
    OpenBlasCall();

    OpenBlasCall(const OpenBlasCall&) = delete;
    OpenBlasCall& operator=(const OpenBlasCall&) = delete;
    OpenBlasCall(OpenBlasCall&&) = delete;
    OpenBlasCall& operator=(OpenBlasCall&&) = delete;
    ~OpenBlasCall() = default;

private:
    std::unique_lock<std::mutex> lock_;
};

} // namespace CorrectionData
