#include "host_rules/TextCut.h"

#include <sstream>
#include <vector>

namespace {

const char* const cutLineMarker = "[...]";
constexpr std::size_t cutLineMarkerLength = 5;
// A line is cut only where this much of it can stay.
constexpr std::size_t shortestLineBeginning = 16;

// The first bytes of `text`, at most `length`, never ending inside a UTF-8
// character.
std::string beginning(const std::string& text, std::size_t length) {
    if (length >= text.size()) {
        return text;
    }
    std::size_t end = length;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U) {
        --end;
    }
    return text.substr(0, end);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    if (!text.empty() && text.back() == '\n') {
        lines.emplace_back();
    }
    return lines;
}

std::string omittedMarker(std::size_t count) {
    return "[... " + std::to_string(count) + (count == 1 ? " more line ...]" : " more lines ...]");
}

} // namespace

std::string TextCut::toLength(const std::string& text, std::size_t length) {
    if (text.size() <= length) {
        return text;
    }
    const std::vector<std::string> lines = linesOf(text);
    // Room for the marker line with its line feed, whatever the count.
    const std::size_t markerRoom = 1 + omittedMarker(lines.size()).size();
    if (length < markerRoom + shortestLineBeginning + cutLineMarkerLength) {
        return beginning(text, length);
    }

    // The last lines, in a quarter of the room; never the first line.
    std::size_t tailBegin = lines.size();
    std::size_t tailSize = 0;
    while (tailBegin > 1 && tailSize + 1 + lines[tailBegin - 1].size() <= length / 4) {
        --tailBegin;
        tailSize += 1 + lines[tailBegin].size();
    }

    // The first lines in what is left; the first line that does not fit
    // keeps its beginning when enough of it can stay.
    const std::size_t headRoom = length - tailSize - markerRoom;
    std::string head;
    std::size_t shown = 0;
    const auto separator = [&head] { return head.empty() ? std::size_t{0} : std::size_t{1}; };
    while (shown < tailBegin && head.size() + separator() + lines[shown].size() <= headRoom) {
        head += (head.empty() ? "" : "\n") + lines[shown];
        ++shown;
    }
    if (shown < tailBegin) {
        const std::size_t used = head.size() + separator() + cutLineMarkerLength;
        if (used + shortestLineBeginning <= headRoom) {
            head += (head.empty() ? "" : "\n") + beginning(lines[shown], headRoom - used) +
                    cutLineMarker;
            ++shown;
        }
    }

    std::string result = head;
    if (shown < tailBegin) {
        result += "\n" + omittedMarker(tailBegin - shown);
    }
    for (std::size_t index = tailBegin; index < lines.size(); ++index) {
        result += "\n" + lines[index];
    }
    return result;
}
