#include "core/LogEntry.h"

namespace Core {

LogEntry::LogEntry(const std::string& path) : stream_(path, std::ios::out | std::ios::app) {}

void LogEntry::write(const std::string& text) {
    const std::string line = text + '\n';
    stream_.write(line.data(), static_cast<std::streamsize>(line.size()));
    stream_.flush();
}

} // namespace Core
