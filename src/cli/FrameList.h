#pragma once

#include <string>
#include <vector>

// The frames a --frames list names. The grammar is exactly: items joined by
// commas, no spaces; an item is a frame number (1001), a range (1001-1100) or
// a range with a step (1001-1100x2); numbers are whole and 0 or more, a range
// runs upwards and a step is 1 or more.
class FrameList {
public:
    // The frames in ascending order, each once. Throws UsageException, showing
    // the grammar, for any other text.
    static std::vector<int> parse(const std::string& text);
};
