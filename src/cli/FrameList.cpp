#include "cli/FrameList.h"

#include "cli/UsageException.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

// More frames than this in one list are refused, so that a mistyped range
// cannot exhaust the memory.
constexpr std::size_t largestFrameCount = 10000000;
// Frame numbers have at most nine digits.
constexpr std::size_t largestDigitCount = 9;

// `problem` is a detail line, such as: Unexpected Text: " 1002".
[[noreturn]] void refuse(const std::string& text, const std::string& problem) {
    throw UsageException("--frames takes a list such as 1001-1100, 1001,1005-1010 or "
                         "1001-1100x2, not \"" +
                             text + "\".",
                         problem + "\nGrammar: \"ITEM[,ITEM...] where ITEM is FRAME, FIRST-LAST or "
                                   "FIRST-LASTxSTEP: whole numbers of 0 or more, no spaces\"");
}

std::string unexpected(const std::string& text, std::size_t position) {
    return position < text.size() ? "Unexpected Text: \"" + text.substr(position) + "\""
                                  : "Reason: \"The list ends where a number belongs.\"";
}

// Reads a whole number at `position`, moving past it.
int number(const std::string& text, std::size_t& position) {
    const std::size_t begin = position;
    while (position < text.size() && std::isdigit(static_cast<unsigned char>(text[position]))) {
        ++position;
    }
    if (position == begin) {
        refuse(text, unexpected(text, position));
    }
    if (position - begin > largestDigitCount) {
        refuse(text, "Reason: \"Frame numbers have at most nine digits.\"");
    }
    return std::stoi(text.substr(begin, position - begin));
}

} // namespace

std::vector<int> FrameList::parse(const std::string& text) {
    std::vector<int> frames;
    std::size_t position = 0;
    while (true) {
        const int first = number(text, position);
        int last = first;
        int step = 1;
        if (position < text.size() && text[position] == '-') {
            ++position;
            last = number(text, position);
            if (last < first) {
                refuse(text, "Reason: \"A range runs upwards, FIRST not above LAST.\"");
            }
            if (position < text.size() && text[position] == 'x') {
                ++position;
                step = number(text, position);
                if (step == 0) {
                    refuse(text, "Reason: \"A step is 1 or more.\"");
                }
            }
        }
        const std::size_t count = static_cast<std::size_t>((last - first) / step) + 1;
        if (frames.size() + count > largestFrameCount) {
            refuse(text, "Reason: \"The list names more than ten million frames.\"");
        }
        for (long long frame = first; frame <= last; frame += step) {
            frames.push_back(static_cast<int>(frame));
        }
        if (position == text.size()) {
            break;
        }
        if (text[position] != ',') {
            refuse(text, unexpected(text, position));
        }
        ++position;
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}
