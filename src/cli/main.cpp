#include "cli/CommandLineTool.h"
#include "cli/Interruption.h"

#include <unistd.h>

#include <iostream>

int main(int argc, char** argv) {
    Interruption::install();
    CommandLineTool tool(std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    return tool.run(argc, argv);
}
