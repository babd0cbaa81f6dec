#pragma once

#include "cli/LoadedFrame.h"

#include <string>

// Reads the first image of a file whole into memory, as float.
class FrameReader {
public:
    // Throws Exception when the file is missing or is not an image that
    // can be corrected.
    static LoadedFrame read(const std::string& path, int number);
};
