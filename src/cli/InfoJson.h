#pragma once

#include "cli/CommandLineOptions.h"

#include <ostream>

// info --json: what info describes, as one JSON document in the stable
// format of docs/cli.md. Nothing is written when the description fails.
class InfoJson {
public:
    // Throws Exception when the file or its correction data cannot be read.
    static void write(const CommandLineOptions& options, std::ostream& out);
};
