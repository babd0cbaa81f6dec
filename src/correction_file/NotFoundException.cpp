#include "correction_file/NotFoundException.h"

namespace CorrectionFile {

namespace {

std::string notFoundDetail(const std::string& clipFilePath,
                           const std::vector<std::string>& searchedDirectoryPaths) {
    std::string detail = "Clip File Path: \"" + clipFilePath + "\"\nSearched Directory Paths:";
    for (const std::string& directoryPath : searchedDirectoryPaths) {
        detail += "\n\t\"";
        detail += directoryPath;
        detail += '"';
    }
    return detail;
}

} // namespace

NotFoundException::NotFoundException(const std::string& clipFilePath,
                                     const std::vector<std::string>& searchedDirectoryPaths)
    : Exception("Correction file could not be found.",
                notFoundDetail(clipFilePath, searchedDirectoryPaths)),
      clipFilePath_(clipFilePath), searchedDirectoryPaths_(searchedDirectoryPaths) {}

} // namespace CorrectionFile
