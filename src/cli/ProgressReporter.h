#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

// Frames done of the total on one redrawn line on a terminal, one plain line
// per frame elsewhere (a farm's log), and one summary line at the end;
// nothing at all when quiet.
class ProgressReporter {
public:
    ProgressReporter(std::ostream& stream, std::size_t total, bool terminal, bool quiet);

    // A frame written or skipped; `line` says which, for the plain lines.
    void frameDone(const std::string& line);
    // Clears the progress line so that a message can be written, and draws
    // it again afterwards.
    void writeMessage(const std::string& message);
    void summary(std::size_t written, std::size_t failed, std::size_t skipped,
                 const std::string& output);

private:
    void draw();
    void clearLine();
    double elapsedSeconds() const;

    std::ostream& stream_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool drawBar_;
    bool quiet_;
    bool lineShown_ = false;
    std::chrono::steady_clock::time_point start_;
};
