#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>

// Runs `subject` in a child process and returns the text it returns. When
// this process is root, who may read anything, the child first becomes the
// user "nobody", so that permission tests hold for whoever runs them.
inline std::string runUnprivileged(const std::function<std::string()>& subject) {
    const passwd* const nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
        throw std::runtime_error("the user nobody is missing");
    }
    const uid_t nobodyUser = nobody->pw_uid;
    const gid_t nobodyGroup = nobody->pw_gid;
    int ends[2];
    if (::pipe(ends) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("no child process");
    }
    if (child == 0) {
        ::close(ends[0]);
        std::string result;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 ||
                                 ::setuid(nobodyUser) != 0)) {
            result = "could not become nobody";
        } else {
            try {
                result = subject();
            } catch (const std::exception& error) {
                result = std::string("exception: ") + error.what();
            }
        }
        for (std::size_t written = 0; written < result.size();) {
            const ssize_t count =
                ::write(ends[1], result.data() + written, result.size() - written);
            if (count <= 0) {
                ::_exit(2);
            }
            written += static_cast<std::size_t>(count);
        }
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("the unprivileged subject did not end normally");
    }
    return result;
}
