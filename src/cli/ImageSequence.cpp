#include "cli/ImageSequence.h"

#include "cli/UsageException.h"

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <cctype>

namespace {

// A frame-number field found in a file name.
struct Field {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t width = 0;
};

bool isDigit(char character) {
    return std::isdigit(static_cast<unsigned char>(character)) != 0;
}

bool isLetter(char character) {
    return std::isalpha(static_cast<unsigned char>(character)) != 0;
}

[[noreturn]] void refusePattern(const std::string& path) {
    throw UsageException("The pattern \"" + path +
                             "\" cannot name a sequence. Write one frame-number field, for "
                             "example plate.####.exr or plate.%04d.exr.",
                         "Path: \"" + path + "\"");
}

// The fields of a file name: runs of # or @ (one digit each) and printf
// integer directives (%d, %04d). A % followed by digits and another letter
// is a directive the tool cannot fill; any other % is a plain character.
std::vector<Field> fieldsOf(const std::string& name, const std::string& path) {
    std::vector<Field> fields;
    std::size_t position = 0;
    while (position < name.size()) {
        const char character = name[position];
        if (character == '#' || character == '@') {
            std::size_t end = position;
            while (end < name.size() && name[end] == character) {
                ++end;
            }
            fields.push_back({position, end, end - position});
            position = end;
            continue;
        }
        if (character == '%') {
            std::size_t end = position + 1;
            while (end < name.size() && isDigit(name[end])) {
                ++end;
            }
            if (end < name.size() && name[end] == 'd') {
                const std::string width = name.substr(position + 1, end - position - 1);
                const std::size_t digits = width.empty() ? 1 : std::stoul(width.substr(0, 3));
                fields.push_back({position, end + 1, std::max<std::size_t>(digits, 1)});
                position = end + 1;
                continue;
            }
            if (end < name.size() && isLetter(name[end])) {
                refusePattern(path);
            }
        }
        ++position;
    }
    return fields;
}

} // namespace

ImageSequence::ImageSequence(const std::string& path) : path_(path) {
    const std::size_t separator = path.rfind('/');
    directory_ = separator == std::string::npos ? "" : path.substr(0, separator + 1);
    const std::string name = path.substr(directory_.size());
    const std::vector<Field> fields = fieldsOf(name, path);
    if (fields.size() > 1) {
        refusePattern(path);
    }
    if (fields.empty()) {
        return;
    }
    prefix_ = name.substr(0, fields.front().begin);
    suffix_ = name.substr(fields.front().end);
    width_ = fields.front().width;
    isSequence_ = true;
}

std::string ImageSequence::digits(int frame) const {
    std::string text = std::to_string(frame);
    if (text.size() < width_) {
        text.insert(0, width_ - text.size(), '0');
    }
    return text;
}

std::string ImageSequence::framePath(int frame) const {
    if (!isSequence_) {
        return path_;
    }
    return directory_ + prefix_ + digits(frame) + suffix_;
}

std::vector<int> ImageSequence::framesOnDisk() const {
    std::vector<int> frames;
    if (!isSequence_) {
        return frames;
    }
    boost::system::error_code error;
    boost::filesystem::directory_iterator entry(directory_.empty() ? "." : directory_, error);
    for (; !error && entry != boost::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() <= prefix_.size() + suffix_.size() || name.rfind(prefix_, 0) != 0 ||
            name.compare(name.size() - suffix_.size(), suffix_.size(), suffix_) != 0) {
            continue;
        }
        const std::string number =
            name.substr(prefix_.size(), name.size() - prefix_.size() - suffix_.size());
        // Only the names this pattern writes: the frame's digits with the field's padding.
        if (number.size() > 9 || !std::all_of(number.begin(), number.end(), isDigit)) {
            continue;
        }
        const int frame = std::stoi(number);
        if (digits(frame) == number) {
            frames.push_back(frame);
        }
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}
