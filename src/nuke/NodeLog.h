#pragma once

#include <string>

// The log of a node class: its fixed file where this user can write to it,
// and otherwise a file of this user's own beside it
// ("...Nuke.<user>.log"), so that no user's messages are lost when another
// user created the fixed file first.
class NodeLog {
public:
    explicit NodeLog(std::string fixedPath);

    // Appends one time-stamped entry; never throws for a file that cannot be written.
    void log(const std::string& message) const;
    // The file the next entry goes to.
    std::string path() const;
    // The file of this user beside the fixed one.
    std::string perUserPath() const;

private:
    std::string fixedPath_;
};
