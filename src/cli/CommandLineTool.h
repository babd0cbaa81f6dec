#pragma once

#include <ostream>

// The tool's boundary: runs the command of a command line and turns every
// failure into a message on the error stream and an exit status (0 done,
// 1 failed, 2 bad usage).
class CommandLineTool {
public:
    CommandLineTool(std::ostream& out, std::ostream& errors, bool errorsOnTerminal);

    int run(int argc, const char* const* argv);

private:
    std::ostream& out_;
    std::ostream& errors_;
    bool errorsOnTerminal_;
};
