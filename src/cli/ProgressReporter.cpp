#include "cli/ProgressReporter.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace {

constexpr int barWidth = 30;

std::string clockTime(double seconds) {
    const long total = std::lround(seconds);
    std::ostringstream text;
    text << total / 60 << ":" << std::setw(2) << std::setfill('0') << total % 60;
    return text.str();
}

} // namespace

ProgressReporter::ProgressReporter(std::ostream& stream, std::size_t total, bool terminal,
                                   bool quiet)
    : stream_(stream), total_(total), drawBar_(terminal && !quiet), quiet_(quiet),
      start_(std::chrono::steady_clock::now()) {}

double ProgressReporter::elapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressReporter::frameDone(const std::string& line) {
    ++done_;
    if (!drawBar_ && !quiet_) {
        stream_ << "velor-lens-correct: " << line << "\n" << std::flush;
    }
    draw();
}

void ProgressReporter::draw() {
    if (!drawBar_ || total_ == 0) {
        return;
    }
    const double seconds = elapsedSeconds();
    const double rate = seconds > 0.0 ? static_cast<double>(done_) / seconds : 0.0;
    const int filled = static_cast<int>(barWidth * done_ / total_);
    std::ostringstream line;
    line << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(barWidth - filled), '-') << "] " << done_ << "/"
         << total_ << " frames  " << std::fixed << std::setprecision(1) << rate << " fps";
    if (rate > 0.0) {
        line << "  " << clockTime(static_cast<double>(total_ - done_) / rate) << " left";
    }
    line << "\x1b[K";
    stream_ << line.str() << std::flush;
    lineShown_ = true;
}

void ProgressReporter::clearLine() {
    if (lineShown_) {
        stream_ << "\r\x1b[K";
        lineShown_ = false;
    }
}

void ProgressReporter::writeMessage(const std::string& message) {
    clearLine();
    stream_ << message << "\n";
    draw();
}

void ProgressReporter::summary(std::size_t written, std::size_t failed, std::size_t skipped,
                               const std::string& output) {
    clearLine();
    if (quiet_) {
        return;
    }
    const double seconds = elapsedSeconds();
    std::ostringstream line;
    line << "velor-lens-correct: " << written << " of " << total_ << " frames written to "
         << output;
    if (skipped > 0) {
        line << ", " << skipped << " skipped (already written)";
    }
    if (failed > 0) {
        line << ", " << failed << " failed";
    }
    if (written + skipped + failed < total_) {
        line << ", " << total_ - written - skipped - failed << " not processed";
    }
    line << " in " << std::fixed << std::setprecision(1) << seconds << " s";
    if (seconds > 0.0 && written > 0) {
        line << " (" << static_cast<double>(written) / seconds << " frames/s)";
    }
    stream_ << line.str() << "\n" << std::flush;
}
