#include "nuke/NodeLog.h"

#include "core/Logger.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The name of the user this process runs as; the number where it has none.
std::string userName() {
    const uid_t user = geteuid();
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && *found->pw_name != '\0') {
        return found->pw_name;
    }
    return std::to_string(user);
}

// Whether an entry can be appended to the file, creating it where it is missing.
bool canAppendTo(const std::string& path) {
    const int file = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) {
        return false;
    }
    close(file);
    return true;
}

} // namespace

NodeLog::NodeLog(std::string fixedPath) : fixedPath_(std::move(fixedPath)) {}

void NodeLog::log(const std::string& message) const {
    Core::Logger(path()).log(message);
}

std::string NodeLog::path() const {
    return canAppendTo(fixedPath_) ? fixedPath_ : perUserPath();
}

std::string NodeLog::perUserPath() const {
    const std::string extension = ".log";
    const bool hasExtension =
        fixedPath_.size() >= extension.size() &&
        fixedPath_.compare(fixedPath_.size() - extension.size(), extension.size(), extension) == 0;
    const std::string stem =
        hasExtension ? fixedPath_.substr(0, fixedPath_.size() - extension.size()) : fixedPath_;
    return stem + "." + userName() + extension;
}
