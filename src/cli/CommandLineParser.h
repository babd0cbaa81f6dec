#pragma once

#include "cli/CommandLineOptions.h"

#include <string>

// Turns the arguments after the program name into options; throws
// UsageException naming what to change when they cannot be run.
class CommandLineParser {
public:
    static CommandLineOptions parse(int argc, const char* const* argv);
    static std::string usage();
    // The command's name on the command line, such as "remove-shading".
    static std::string nameOf(Command command);
};
