#pragma once

#include "cli/CommandLineOptions.h"
#include "cli/ImageSequence.h"
#include "cli/ProgressReporter.h"

#include <ostream>
#include <string>
#include <vector>

// Runs a frame command over every selected frame: the next frame is read and
// the previous one written while the current one renders. Stops at the first
// failed frame unless told to keep going.
class SequenceRunner {
public:
    // Throws UsageException when input, output and frame list do not fit
    // together, and Exception when the input has no frames.
    SequenceRunner(const CommandLineOptions& options, std::ostream& messages, bool terminal);

    // The exit status: 0 when every frame was written, 1 otherwise.
    int run();

private:
    std::string frameLabel(int frame) const;
    void report(ProgressReporter& progress, int frame, const std::string& brief,
                const std::string& detail) const;

    const CommandLineOptions& options_;
    std::ostream& messages_;
    bool terminal_;
    ImageSequence input_;
    ImageSequence output_;
    std::vector<int> frames_;
    int firstFrame_ = 1;
};
