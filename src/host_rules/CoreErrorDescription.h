#pragma once

#include <string>

namespace Core {
class Core;
}

// The last failure of a core, read out for a host. Every host reads through
// buffers of the same size, so that no host cuts off what another shows.
namespace CoreErrorDescription {

// False, leaving the text untouched, when the core holds no such
// description. A description longer than the buffer is cut (TextCut).
bool brief(const Core::Core& core, std::string& text);
bool detailed(const Core::Core& core, std::string& text);
// The detailed description without its first line (which repeats the brief
// one) and without trailing line feeds; empty when it cannot be read.
std::string detailLines(const Core::Core& core);

} // namespace CoreErrorDescription
