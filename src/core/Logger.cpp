#include "core/Logger.h"

#include "core/LogEntry.h"

#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace Core {

Logger::Logger(const std::string& path) : path_(path) {}

void Logger::log(const std::string& message) const {
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    using std::chrono::system_clock;

    const auto sinceEpoch =
        duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    const std::time_t wholeSeconds = static_cast<std::time_t>(sinceEpoch / 1000000);
    const auto microsecondsInSecond = sinceEpoch % 1000000;

    std::tm localTime{};
    localtime_r(&wholeSeconds, &localTime);
    char stamp[64] = {};
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &localTime);

    std::ostringstream line;
    line << stamp << '.' << std::setw(6) << std::setfill('0') << microsecondsInSecond << ": "
         << message;
    LogEntry(path_).write(line.str());
}

} // namespace Core
