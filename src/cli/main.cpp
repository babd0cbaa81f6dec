#include "cli/CommandLineTool.h"
#include "cli/Interruption.h"
#include "foundation/AddressSpace.h"

#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <iostream>
#include <vector>

namespace {

const char* const oneBlasThread = "OPENBLAS_NUM_THREADS=1";

// OpenBLAS starts its worker threads when it is loaded, one per processor,
// each mapping a work buffer of 128 MB and waiting forever for one that a
// capped address space (ulimit -v) cannot hold. The tool's fits are 7 x 7
// systems, which one thread solves. OpenBLAS reads the thread count from the
// environment when it is initialised, before main, and the C library sets up
// the environment only after this function; so, under a cap and when the
// count is not given, the tool starts itself again with it. This runs before
// any library is initialised, so no thread has started yet. Should the new
// start fail, the tool goes on as it is.
void solveOnOneBlasThread(int argc, char** argv, char** environment) {
    if (AddressSpace::limit() == 0) {
        return;
    }
    const char* const name = "OPENBLAS_NUM_THREADS=";
    std::size_t count = 0;
    for (; environment[count] != nullptr; ++count) {
        if (std::strncmp(environment[count], name, std::strlen(name)) == 0) {
            return;
        }
    }
    if (argc < 1) {
        return;
    }
    try {
        std::vector<char*> extended(environment, environment + count);
        extended.push_back(const_cast<char*>(oneBlasThread));
        extended.push_back(nullptr);
        // By its own path, so that the process keeps its name.
        std::array<char, 4096> path{};
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
        if (length > 0) {
            ::execve(path.data(), argv, extended.data());
        }
    } catch (...) {
        // Without memory for the list, the tool goes on as it is.
    }
}

__attribute__((section(".preinit_array"),
               used)) void (*const beforeLibraries)(int, char**, char**) = solveOnOneBlasThread;

} // namespace

int main(int argc, char** argv) {
    Interruption::install();
    CommandLineTool tool(std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    return tool.run(argc, argv);
}
