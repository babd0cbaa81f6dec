#include "cli/DevicesCommand.h"

#include "core/Queries.h"

void DevicesCommand::run(std::ostream& out) {
    for (const Core::Queries::Platform& platform : Core::Queries::openCLPlatforms()) {
        out << "Platform: " << platform.name << " (" << platform.version << ")\n";
        for (const Core::Queries::Device& device : platform.devices) {
            out << (device.chosen ? "  * " : "    ") << device.name << " [" << device.type << ", "
                << device.version << "]\n";
        }
    }
    out << "* marks the device the renderers use: a GPU before anything else, then the one "
           "with the most compute power.\n";
}
