#include "correction_file/NotReadableException.h"

namespace CorrectionFile {

NotReadableException::NotReadableException(const std::string& filePath)
    : Exception("Correction file could not be read.", "File Path: \"" + filePath + '"'),
      filePath_(filePath) {}

} // namespace CorrectionFile
