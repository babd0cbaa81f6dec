#pragma once

#include <OpenImageIO/imagebuf.h>

// An image buffer whose pixels are allocated. OpenImageIO leaves a buffer
// without pixels when memory runs out; this throws std::bad_alloc instead, so
// that nothing is written through a null pointer.
OIIO::ImageBuf allocatedImage(const OIIO::ImageSpec& layout);

// A copy of `image`, pixels included; throws std::bad_alloc as above.
OIIO::ImageBuf allocatedCopy(const OIIO::ImageBuf& image);
