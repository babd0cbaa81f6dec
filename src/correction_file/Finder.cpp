#include "correction_file/Finder.h"

namespace CorrectionFile {

Finder::~Finder() = default;

} // namespace CorrectionFile
