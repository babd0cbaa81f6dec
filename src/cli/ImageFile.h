#pragma once

#include <OpenImageIO/imageio.h>

#include <memory>
#include <string>

// Opens an image file for reading by any name a file can have. OpenImageIO
// reads a "?" in a name as the start of options, so the reader is chosen by
// the extension first and only then, for a file whose contents do not match
// it, by the whole name (regular files only). `layout` receives the header's
// description of the first image. Null when the file cannot be opened;
// `reason` then says why.
std::unique_ptr<OIIO::ImageInput> openImageFile(const std::string& path, OIIO::ImageSpec& layout,
                                                std::string& reason);
