#pragma once

#include "cli/LoadedFrame.h"

#include <string>

// Reads the first image of a file whole into memory, in its pixel types.
class FrameReader {
public:
    // Opens `path` as given (relative to the current directory when it is
    // relative); the frame is named by its absolute path. Throws Exception
    // when the file is missing or cannot be reached, when it is not an image
    // that can be corrected, when its header gives a size beyond the frame
    // size limit (checked before any pixel memory is taken) and when there is
    // not enough memory for its pixels.
    static LoadedFrame read(const std::string& path, int number);

    // Throws Exception with `missingBrief` when nothing is at `path`, and
    // one naming the reason when its status cannot be read (a directory on
    // its path that the user may not enter).
    static void requireFile(const std::string& path, const char* missingBrief);
};
