#pragma once

#include <fstream>
#include <string>

namespace Core {

// One append-mode stream on a log file, alive for a single log call. When the
// file cannot be opened the stream stays failed and writes do nothing.
class LogEntry {
public:
    explicit LogEntry(const std::string& path);

    LogEntry(const LogEntry&) = delete;
    LogEntry& operator=(const LogEntry&) = delete;
    LogEntry(LogEntry&&) = delete;
    LogEntry& operator=(LogEntry&&) = delete;
    ~LogEntry() = default;

    // Writes the text and a line feed in one piece, then flushes, so that
    // lines written by several threads at once never interleave.
    void write(const std::string& text);

private:
    std::ofstream stream_;
};

} // namespace Core
