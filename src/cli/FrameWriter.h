#pragma once

#include <OpenImageIO/imagebuf.h>

#include <string>

// Writes a frame so that its final name only ever holds a complete file: the
// pixels go to a hidden file beside it, which is renamed when it is closed.
class FrameWriter {
public:
    // Formats that cannot hold a data window beside the display window
    // (all but EXR) get the data window as the whole frame, from 0,0. Throws Exception when the
    // file cannot be written; nothing is then left behind.
    static void write(const OIIO::ImageBuf& image, const std::string& path);

    // The hidden name a frame is written under before it is complete.
    static std::string temporaryPath(const std::string& path);
};
