#pragma once

#include <string>
#include <vector>

// The lines of a text that are not empty, without their line ends (LF or CR LF).
std::vector<std::string> nonEmptyLinesOf(const char* text);
