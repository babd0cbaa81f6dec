#include "cli/ImageSequence.h"

#include "cli/UsageException.h"

#include <OpenImageIO/filesystem.h>

#include <algorithm>
#include <regex>

namespace {

std::ptrdiff_t matchCount(const std::string& text, const std::regex& expression) {
    return std::distance(std::sregex_iterator(text.begin(), text.end(), expression),
                         std::sregex_iterator());
}

} // namespace

ImageSequence::ImageSequence(const std::string& path) : path_(path) {
    // A run of # or @ (one digit each), or a printf integer directive.
    const std::regex frameField("#+|@+|%0?[0-9]*d");
    const std::regex integerDirective("%0?[0-9]*d");
    const std::regex anyDirective("%[^%]");
    const std::ptrdiff_t fieldCount = matchCount(path, frameField);
    if (fieldCount > 1 || matchCount(path, anyDirective) != matchCount(path, integerDirective)) {
        throw UsageException("The pattern \"" + path +
                                 "\" cannot name a sequence. Write one frame-number field, for "
                                 "example plate.####.exr or plate.%04d.exr.",
                             "Path: \"" + path + "\"");
    }
    if (fieldCount == 0) {
        return;
    }
    // OpenImageIO reads each # as four digits; here, as in compositing
    // hosts, each # stands for one digit, as @ does for OpenImageIO.
    // A plain %d, which OpenImageIO cannot scan for, is the same as @.
    std::string hostPattern = std::regex_replace(path, std::regex("%d"), "@");
    std::replace(hostPattern.begin(), hostPattern.end(), '#', '@');
    std::string frameRange;
    if (!OIIO::Filesystem::parse_pattern(hostPattern.c_str(), 0, normalizedPattern_, frameRange) ||
        !frameRange.empty()) {
        throw UsageException("The pattern \"" + path +
                             "\" cannot name a sequence. Write one "
                             "frame-number field, for example "
                             "plate.####.exr or plate.%04d.exr.");
    }
    isSequence_ = true;
}

std::string ImageSequence::framePath(int frame) const {
    if (!isSequence_) {
        return path_;
    }
    std::vector<std::string> names;
    OIIO::Filesystem::enumerate_file_sequence(normalizedPattern_, {frame}, names);
    return names.empty() ? path_ : names.front();
}

std::vector<int> ImageSequence::framesOnDisk() const {
    std::vector<int> frames;
    if (!isSequence_) {
        return frames;
    }
    std::vector<std::string> names;
    if (!OIIO::Filesystem::scan_for_matching_filenames(normalizedPattern_, frames, names)) {
        return {};
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}
