#include "core/LogEntry.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Core {

LogEntry::LogEntry(const std::string& path) {
    // Non-blocking, so that a pipe or device in place of the log cannot stall rendering.
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
               S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    if (descriptor < 0) {
        return;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
}

LogEntry::~LogEntry() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

void LogEntry::write(const std::string& text) {
    if (descriptor_ < 0) {
        return;
    }
    const std::string line = text + '\n';
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
}

} // namespace Core
