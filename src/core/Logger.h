#pragma once

#include <string>

namespace Core {

// Appends time-stamped lines to one log file:
//   2020-03-03 14:05:09.000042: message
// The file is opened for each line and never held open; a file that cannot be
// opened is ignored. Safe to call from several threads at once.
class Logger {
public:
    explicit Logger(const std::string& path);

    void log(const std::string& message) const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace Core
