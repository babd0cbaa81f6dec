#include "cli/SequenceRunner.h"

#include "cli/FrameCorrector.h"
#include "cli/FrameList.h"
#include "cli/FrameReader.h"
#include "cli/FrameWriter.h"
#include "cli/Interruption.h"
#include "cli/MemoryShortage.h"
#include "cli/UsageException.h"
#include "foundation/AddressSpace.h"
#include "foundation/Exception.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <OpenImageIO/strutil.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <iomanip>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The outcome of one stage for one frame: nothing, or a failure's texts.
struct Failure {
    std::string brief;
    std::string detail;
};

const char* const notEnoughMemory = "There is not enough memory to process the frame.";

// Runs a stage, turning whatever it throws into a failure. A failure for
// want of memory names the cap on the address space, if there is one.
template <typename Stage>
bool attempt(Stage stage, Failure& failure) {
    try {
        stage();
        return true;
    } catch (const Exception& error) {
        failure = {error.what(), detailLinesOf(error.detailedDescription())};
    } catch (const std::bad_alloc&) {
        failure = {notEnoughMemory, ""};
    } catch (const std::system_error& error) {
        failure = {isMemoryShortage(error)
                       ? notEnoughMemory
                       : "The frame could not be processed because of a system error.",
                   std::string("System Error: \"") + error.what() + "\""};
    } catch (const std::exception& error) {
        failure = {"The frame could not be processed because of a system error.",
                   std::string("System Error: \"") + error.what() + "\""};
    }
    const std::string limit = AddressSpace::limitLine();
    if (failure.brief.find("not enough memory") != std::string::npos && !limit.empty() &&
        failure.detail.find(limit) == std::string::npos) {
        failure.detail += (failure.detail.empty() ? "" : "\n") + limit;
    }
    return false;
}

// The file name extensions of the formats OpenImageIO can write, in lower case.
std::set<std::string> writableExtensions() {
    std::set<std::string> extensions;
    const std::map<std::string, std::vector<std::string>> formats = OIIO::get_extension_map();
    for (const std::string& format :
         OIIO::Strutil::splits(OIIO::get_string_attribute("output_format_list"), ",")) {
        const auto found = formats.find(format);
        if (found != formats.end()) {
            for (const std::string& extension : found->second) {
                extensions.insert(OIIO::Strutil::lower(extension));
            }
        }
    }
    return extensions;
}

// The output must name a format that can be written, known before any frame
// is corrected. Maps are data: only formats that hold 32-bit float without
// loss are accepted for them.
void checkOutputFormat(Command command, const std::string& path, const std::string& framePath) {
    const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(framePath);
    if (!output) {
        const std::string reason = OIIO::geterror();
        std::string extension = boost::filesystem::path(framePath).extension().string();
        extension = OIIO::Strutil::lower(extension.empty() ? "" : extension.substr(1));
        const std::set<std::string> writable = writableExtensions();
        std::string detail = "Output File Path: \"" + path + "\"";
        if (!reason.empty()) {
            detail += "\nReason: \"" + reason + "\"";
        }
        if (!writable.empty() && writable.count(extension) == 0) {
            throw UsageException("The output's file name extension names no image format the "
                                 "tool can write. Use .exr, .dpx, .tif or .png, for example.",
                                 detail);
        }
        // The format is known: its writer could not be made, as when memory runs out.
        const std::string limit = AddressSpace::limitLine();
        throw Exception("The writer of the output's format could not be started; there may not "
                        "be enough memory.",
                        limit.empty() ? detail : detail + "\n" + limit);
    }
    if (command != Command::StMap && command != Command::ShadingMap) {
        return;
    }
    const std::string format = output->format_name();
    if (format != "openexr" && format != "tiff") {
        throw UsageException("A map holds 32-bit float values, which the output format cannot "
                             "hold. Write it as EXR (.exr) or TIFF (.tif, .tiff).",
                             "Output File Path: \"" + path + "\"");
    }
}

bool sameFile(const std::string& first, const std::string& second) {
    if (first == second) {
        return true;
    }
    boost::system::error_code error;
    return boost::filesystem::equivalent(first, second, error) && !error;
}

} // namespace

SequenceRunner::SequenceRunner(const CommandLineOptions& options, std::ostream& messages,
                               bool terminal)
    : options_(options), messages_(messages), terminal_(terminal), input_(options.input),
      output_(options.output) {
    if (input_.isSequence() != output_.isSequence()) {
        throw UsageException(input_.isSequence()
                                 ? "The input is a sequence, so the output needs a frame-number "
                                   "field too, for example out.####.exr."
                                 : "The input is one image, so the output must be one image "
                                   "too; drop the frame-number field from the output.");
    }
    if (options.frames) {
        if (!input_.isSequence()) {
            throw UsageException("--frames needs a sequence as input, for example "
                                 "plate.####.exr.");
        }
        frames_ = FrameList::parse(*options.frames);
    }
    checkOutputFormat(options.command, options.output, output_.framePath(0));
    const std::vector<int> onDisk = input_.framesOnDisk();
    if (input_.isSequence()) {
        if (onDisk.empty()) {
            throw Exception("No frames of the input sequence were found. Check the directory "
                            "and the number of digits in the pattern.",
                            "Input Pattern: \"" + options.input + "\"");
        }
        if (frames_.empty()) {
            frames_ = onDisk;
        }
        // Frames are counted from the clip's first frame, as a host's Read
        // counts them, whatever part of the sequence is processed: the one
        // given, else the first on disk.
        firstFrame_ = options.firstFrame.value_or(onDisk.front());
        if (frames_.front() < firstFrame_) {
            const std::string firstFrameSource =
                options.firstFrame ? " given with --first-frame. Give the first frame of the "
                                     "whole clip."
                                   : ", the first on disk. Give the first frame of the whole "
                                     "clip with --first-frame.";
            throw UsageException("Frame " + std::to_string(frames_.front()) +
                                 " lies before the clip's first frame " +
                                 std::to_string(firstFrame_) + firstFrameSource);
        }
    } else {
        if (options.firstFrame) {
            throw UsageException("--first-frame needs a sequence as input, for example "
                                 "plate.####.exr.");
        }
        frames_ = {1};
        FrameReader::requireFile(options.input, "The input file does not exist. Check the path.");
    }
    // Only a file that exists can be replaced: the frames on disk are checked,
    // however many frames the list names.
    const std::vector<int> existing = input_.isSequence() ? onDisk : frames_;
    for (const int frame : existing) {
        if (std::binary_search(frames_.begin(), frames_.end(), frame) &&
            sameFile(input_.framePath(frame), output_.framePath(frame))) {
            throw UsageException("The output would replace the input. Choose another output "
                                 "name.");
        }
    }
}

std::string SequenceRunner::frameLabel(int frame) const {
    if (!input_.isSequence()) {
        return input_.framePath(frame);
    }
    return "frame " + std::to_string(frame) + " (" + input_.framePath(frame) + ")";
}

void SequenceRunner::report(ProgressReporter& progress, int frame, const std::string& brief,
                            const std::string& detail) const {
    std::ostringstream message;
    message << "velor-lens-correct: " << frameLabel(frame) << ": " << brief;
    std::istringstream lines(detail);
    for (std::string line; std::getline(lines, line);) {
        message << "\n    " << line;
    }
    progress.writeMessage(message.str());
}

int SequenceRunner::run() {
    FrameCorrector corrector(options_, firstFrame_);
    ProgressReporter progress(messages_, frames_.size(), terminal_, options_.quiet);
    std::size_t written = 0;
    std::size_t failed = 0;
    std::size_t skipped = 0;

    // A final name only ever holds a complete frame, so one that exists is done.
    std::vector<int> pending;
    for (const int frame : frames_) {
        const std::string path = output_.framePath(frame);
        if (options_.skipExisting && OIIO::Filesystem::exists(path)) {
            ++skipped;
            progress.frameDone(frameLabel(frame) + " skipped: " + path + " exists");
        } else {
            pending.push_back(frame);
        }
    }

    const auto startReading = [this, &pending](std::size_t index) {
        const int frame = pending[index];
        return std::async(std::launch::async, [this, frame] {
            // Read by the path as given; the frame is named by its absolute
            // path, as a host's Read names it, so that the correction file
            // is searched for around the right directory.
            return FrameReader::read(input_.framePath(frame), frame);
        });
    };
    std::future<LoadedFrame> reading;
    if (!pending.empty()) {
        reading = startReading(0);
    }
    std::future<void> writing;
    int writingFrame = 0;
    std::string writingRecord;
    Clock::time_point writingStart;

    // Waits for the frame being written and counts its outcome.
    const auto finishWriting = [&]() {
        if (!writing.valid()) {
            return true;
        }
        Failure failure;
        if (attempt([&] { writing.get(); }, failure)) {
            ++written;
            // The run makes progress: an interrupt now lets the frames in
            // flight finish.
            Interruption::stopAfterFramesInFlight();
            std::ostringstream line;
            line << frameLabel(writingFrame) << " written to " << output_.framePath(writingFrame)
                 << " in " << std::fixed << std::setprecision(2)
                 << std::chrono::duration<double>(Clock::now() - writingStart).count() << " s with "
                 << writingRecord;
            progress.frameDone(line.str());
            return true;
        }
        ++failed;
        report(progress, writingFrame, failure.brief, failure.detail);
        return false;
    };

    bool stopped = false;
    for (std::size_t index = 0; index < pending.size() && !stopped; ++index) {
        const int frame = pending[index];
        const Clock::time_point start = Clock::now();
        LoadedFrame loaded;
        Failure failure;
        bool succeeded = attempt([&] { loaded = reading.get(); }, failure);
        if (index + 1 < pending.size()) {
            reading = startReading(index + 1);
        }
        OIIO::ImageBuf corrected;
        succeeded = succeeded && attempt([&] { corrected = corrector.correct(loaded); }, failure);

        if (!finishWriting() && !options_.keepGoing) {
            stopped = true;
        }
        if (!succeeded) {
            ++failed;
            report(progress, frame, failure.brief, failure.detail);
            stopped = stopped || !options_.keepGoing;
        } else if (!stopped) {
            const std::string path = output_.framePath(frame);
            writingFrame = frame;
            writingStart = start;
            writingRecord = corrector.lastCorrectionDescription();
            writing = std::async(std::launch::async, [image = std::move(corrected), path]() {
                FrameWriter::write(image, path);
            });
        }
        if (Interruption::requested()) {
            stopped = true;
        }
    }
    finishWriting();
    // A read started ahead is not used; wait for it so that its file is closed.
    if (reading.valid()) {
        reading.wait();
    }
    if (Interruption::requested()) {
        progress.writeMessage("velor-lens-correct: interrupted; the frames written so far are "
                              "complete.");
    }
    progress.summary(written, failed, skipped, output_.path());
    return written + skipped == frames_.size() ? 0 : 1;
}
