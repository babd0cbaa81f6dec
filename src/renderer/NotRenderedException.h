#pragma once

#include "foundation/Exception.h"

#include <string>

namespace Renderer {

// A renderer run that did not produce an output frame.
class NotRenderedException : public Exception {
public:
    NotRenderedException(const std::string& brief, const std::string& detail);

    // The renderer's own sentence, with the failure's reason and the data size as detail.
    static NotRenderedException fromFailure(const std::string& brief, const Exception& reason,
                                            size_t size);
};

} // namespace Renderer
