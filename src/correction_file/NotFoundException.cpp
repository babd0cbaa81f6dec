#include "correction_file/NotFoundException.h"

namespace CorrectionFile {

namespace {

void appendSection(std::string& detail, const char* title, const std::vector<SkippedPath>& paths) {
    if (paths.empty()) {
        return;
    }
    detail += '\n';
    detail += title;
    for (const SkippedPath& skipped : paths) {
        detail += "\n\t\"";
        detail += skipped.path;
        detail += "\": ";
        detail += skipped.reason;
    }
}

std::string notFoundDetail(const std::string& clipFilePath,
                           const std::vector<std::string>& searchedDirectoryPaths,
                           const SkippedPaths& skippedPaths) {
    std::string detail = "Clip File Path: \"" + clipFilePath + "\"\nSearched Directory Paths:";
    for (const std::string& directoryPath : searchedDirectoryPaths) {
        detail += "\n\t\"";
        detail += directoryPath;
        detail += '"';
    }
    appendSection(detail, "Directories that could not be searched:", skippedPaths.directories);
    appendSection(detail, "Entries that could not be read:", skippedPaths.entries);
    appendSection(detail, "Correction files that could not be used:", skippedPaths.correctionFiles);
    return detail;
}

} // namespace

NotFoundException::NotFoundException(const std::string& clipFilePath,
                                     const std::vector<std::string>& searchedDirectoryPaths,
                                     const SkippedPaths& skippedPaths)
    : Exception("Correction file could not be found.",
                notFoundDetail(clipFilePath, searchedDirectoryPaths, skippedPaths)),
      clipFilePath_(clipFilePath), searchedDirectoryPaths_(searchedDirectoryPaths),
      skippedPaths_(skippedPaths) {}

} // namespace CorrectionFile
