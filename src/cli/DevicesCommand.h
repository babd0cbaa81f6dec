#pragma once

#include <ostream>

// Lists the OpenCL platforms and devices and marks the one the renderers use.
class DevicesCommand {
public:
    // Throws Exception when OpenCL cannot be asked.
    static void run(std::ostream& out);
};
