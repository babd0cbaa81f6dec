#pragma once

#include "cli/CommandLineOptions.h"

#include <ostream>

// Describes a correction file, an image (its header as the tool reads it and
// the correction data it leads to) or a camera clip (the correction file
// found for it): header, frames, recording format and the fitted curves.
class InfoCommand {
public:
    // Throws Exception when the file or its correction data cannot be read.
    static void run(const CommandLineOptions& options, std::ostream& out);
};
