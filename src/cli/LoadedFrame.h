#pragma once

#include <OpenImageIO/imagebuf.h>

#include <string>

// One input frame as read from disk.
struct LoadedFrame {
    // The frame number in its sequence; 1 for a single image.
    int number = 0;
    std::string path;
    OIIO::ImageBuf image;
};
