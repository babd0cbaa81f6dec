#include "renderer/NotRenderedException.h"

namespace Renderer {

NotRenderedException::NotRenderedException(const std::string& brief, const std::string& detail)
    : Exception(brief, detail) {}

NotRenderedException NotRenderedException::fromFailure(const std::string& brief,
                                                       const Exception& reason, size_t size) {
    return NotRenderedException(brief, std::string("Reason: ") + reason.what() +
                                           "\nData Size: " + std::to_string(size) + " bytes");
}

} // namespace Renderer
