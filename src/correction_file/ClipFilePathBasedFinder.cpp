#include "correction_file/ClipFilePathBasedFinder.h"

#include "correction_data/Header.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"
#include "foundation/Exception.h"

#include <boost/filesystem/directory.hpp>
#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <deque>
#include <list>
#include <utility>
#include <vector>

namespace CorrectionFile {

namespace {

namespace fs = boost::filesystem;

const char* const correctionFileExtension = ".vlcf";

// The text of the file-system error raised when a subdirectory cannot be
// walked into (Boost 1.74's own text would say "increment error").
const char* const recursiveDirectoryIteratorError =
    "filesystem::recursive_directory_iterator directory error";

// Searches one directory (not recursively) for a correction file whose header
// names the clip file. Entries that contain the clip's stem are tried first.
bool searchForCorrectionFileInDirectory(const std::string& clipFileName, const fs::path& directory,
                                        std::string& correctionFilePath) {
    const std::string clipStem = fs::path(clipFileName).stem().string();

    std::list<fs::path> candidates;
    for (fs::directory_iterator it(directory), end; it != end; ++it) {
        const fs::path& entryPath = it->path();
        if (!fs::is_regular_file(fs::status(entryPath)) ||
            entryPath.extension().string() != correctionFileExtension) {
            continue;
        }
        if (entryPath.filename().string().find(clipStem) != std::string::npos) {
            candidates.push_front(entryPath.filename());
        } else {
            candidates.push_back(entryPath.filename());
        }
    }

    const Reader reader;
    const Parser parser;
    for (const fs::path& candidateName : candidates) {
        const std::string candidatePath = (directory / candidateName).string();
        CorrectionData::Header header;
        try {
            std::string text;
            reader.readFile(candidatePath, text);
            parser.parseHeader(text, header);
        } catch (const Exception&) {
            // Unreadable or not a correction file: try the next candidate.
            continue;
        }
        if (clipFileName == header.clip.videoFileName || clipFileName == header.clip.name) {
            correctionFilePath = candidatePath;
            return true;
        }
    }
    return false;
}

// The directories below directory down to greatestLevel (0: its own entries),
// depth first in listing order, each followed by its own subdirectories.
// Hidden directories and leftOutPath are skipped with everything below them;
// a symbolic link to a directory is taken but not walked into.
std::vector<fs::path> subdirectoriesOfDirectory(const fs::path& directory, int greatestLevel,
                                                const fs::path& leftOutPath) {
    std::vector<fs::path> subdirectories;
    const fs::recursive_directory_iterator end;
    for (fs::recursive_directory_iterator it(directory); it != end;) {
        const fs::path& entryPath = it->path();
        const bool isTaken = fs::is_directory(fs::status(entryPath)) &&
                             entryPath.filename().string().compare(0, 1, ".") != 0 &&
                             it.depth() <= greatestLevel && entryPath != leftOutPath;
        if (isTaken) {
            subdirectories.push_back(entryPath);
        }
        // Every taken directory is walked into, also one at the greatest level
        // (its entries are then not taken); so a directory there that cannot
        // be listed raises the library's error here, for the caller to report.
        if (!isTaken || fs::is_symlink(fs::symlink_status(entryPath))) {
            it.disable_recursion_pending();
        }
        boost::system::error_code walkError;
        it.increment(walkError);
        if (walkError) {
            throw fs::filesystem_error(recursiveDirectoryIteratorError, walkError);
        }
    }
    return subdirectories;
}

} // namespace

ClipFilePathBasedFinder::ClipFilePathBasedFinder(const std::string& clipFilePath,
                                                 const LevelOfDepth& levelOfDepth)
    : clipFilePath_(clipFilePath), levelOfDepth_(levelOfDepth) {}

void ClipFilePathBasedFinder::find(std::string& correctionFilePath) const {
    const fs::path clipPath(clipFilePath_);
    const std::string clipFileName = clipPath.filename().string();
    const fs::path clipDirectory = clipPath.parent_path();

    std::deque<fs::path> queue;
    std::vector<std::string> searchedDirectoryPaths;
    const auto processQueue = [&]() {
        while (!queue.empty()) {
            const fs::path directory = queue.front();
            queue.pop_front();
            searchedDirectoryPaths.push_back(directory.string());
            if (searchForCorrectionFileInDirectory(clipFileName, directory, correctionFilePath)) {
                return true;
            }
        }
        return false;
    };

    // Stage 1: the clip's own directory.
    queue.push_back(clipDirectory);
    if (processQueue()) {
        return;
    }

    // Stage 2: below the clip's directory.
    if (levelOfDepth_.subdirectoryDepth > 0) {
        for (fs::path& subdirectory : subdirectoriesOfDirectory(
                 clipDirectory, levelOfDepth_.subdirectoryDepth - 1, fs::path())) {
            queue.push_back(std::move(subdirectory));
        }
        if (processQueue()) {
            return;
        }
    }

    // Stage 3: the parents, each with its subdirectories except the branch
    // that was searched before.
    fs::path currentDirectory = clipDirectory;
    for (unsigned int count = 0; count < levelOfDepth_.parentDirectoryCount; ++count) {
        const fs::path previousDirectory = currentDirectory;
        currentDirectory = previousDirectory.parent_path();
        if (currentDirectory.empty()) {
            break;
        }
        queue.push_back(currentDirectory);
        if (levelOfDepth_.parentSubdirectoryDepth > 0) {
            for (fs::path& subdirectory : subdirectoriesOfDirectory(
                     currentDirectory, levelOfDepth_.parentSubdirectoryDepth - 1,
                     previousDirectory)) {
                queue.push_back(std::move(subdirectory));
            }
        }
        if (processQueue()) {
            return;
        }
    }

    throw NotFoundException(clipFilePath_, searchedDirectoryPaths);
}

} // namespace CorrectionFile
