#pragma once

#include <string>

namespace Core {

// One append-mode handle on a log file, alive for a single log call. Only a
// regular file is written; a path that cannot be opened at once (missing
// directory, no permission, a pipe without reader) or that is not a regular
// file is ignored, so that logging never blocks or fails the caller.
class LogEntry {
public:
    explicit LogEntry(const std::string& path);

    LogEntry(const LogEntry&) = delete;
    LogEntry& operator=(const LogEntry&) = delete;
    LogEntry(LogEntry&&) = delete;
    LogEntry& operator=(LogEntry&&) = delete;
    ~LogEntry();

    // Writes the text and a line feed in one piece, so that lines written by
    // several threads at once never interleave.
    void write(const std::string& text);

private:
    int descriptor_ = -1;
};

} // namespace Core
