#pragma once

#include <cstddef>
#include <string>

// Shortens a text of lines for a buffer that holds at most `length`
// characters: the first lines stay, and the last ones as far as room is left,
// with a marker line "[... N more lines ...]" between them; a line that does
// not fit whole keeps its beginning, marked "[...]". Characters of UTF-8 are
// never split. A text that fits is returned unchanged.
namespace TextCut {

std::string toLength(const std::string& text, std::size_t length);

} // namespace TextCut
