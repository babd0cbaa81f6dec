#include "correction_file/ClipFilePathBasedFinder.h"

#include "correction_data/Header.h"
#include "correction_file/NotFoundException.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"
#include "foundation/Exception.h"

#include <boost/filesystem/directory.hpp>
#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include <algorithm>
#include <array>
#include <deque>
#include <list>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

namespace CorrectionFile {

namespace {

namespace fs = boost::filesystem;

const char* const correctionFileExtension = ".vlcf";

// The kernel's file systems below the root: their trees are large, change
// while they are walked and hold no correction files.
const std::array<const char*, 3> kernelFileSystems{"proc", "sys", "dev"};

bool isKernelFileSystem(const fs::path& directory, const fs::path& entry) {
    const bool isRoot = directory.has_root_directory() && !directory.has_relative_path();
    return isRoot && std::find(kernelFileSystems.begin(), kernelFileSystems.end(),
                               entry.filename().string()) != kernelFileSystems.end();
}

// The failure of a candidate in one line: the brief description and the
// detail lines that do not merely repeat the candidate's path.
std::string reasonOf(const Exception& error, const std::string& candidatePath) {
    std::string reason = error.what();
    std::istringstream lines(detailLinesOf(error.detailedDescription()));
    const std::string pathLine = "File Path: \"" + candidatePath + "\"";
    const char* separator = " ";
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line != pathLine) {
            reason += separator + line;
            separator = "; ";
        }
    }
    return reason;
}

// One search for the correction file of a clip. A directory that cannot be
// listed, an entry whose status cannot be read and a candidate that cannot
// be used are passed over and remembered, each once.
class DirectorySearch {
public:
    explicit DirectorySearch(const std::string& clipFileName)
        : clipFileName_(clipFileName), clipStem_(fs::path(clipFileName).stem().string()) {}

    // Searches one directory (not recursively) for a correction file whose
    // header names the clip file. Entries that contain the clip's stem are
    // tried first.
    bool searchDirectory(const fs::path& directory, std::string& correctionFilePath) {
        std::vector<fs::path> entries;
        if (!list(directory, entries)) {
            return false;
        }
        std::list<fs::path> candidates;
        for (const fs::path& entryPath : entries) {
            fs::file_status status;
            if (entryPath.extension().string() != correctionFileExtension ||
                !readStatus(entryPath, status) || !fs::is_regular_file(status)) {
                continue;
            }
            if (entryPath.filename().string().find(clipStem_) != std::string::npos) {
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
            } catch (const Exception& error) {
                // Unreadable or not a correction file: try the next candidate.
                remember(skipped_.correctionFiles, candidatePath, reasonOf(error, candidatePath));
                continue;
            }
            if (clipFileName_ == header.clip.videoFileName || clipFileName_ == header.clip.name) {
                correctionFilePath = candidatePath;
                return true;
            }
        }
        return false;
    }

    // The directories below directory down to greatestLevel (0: its own
    // entries), depth first in listing order, each followed by its own
    // subdirectories. Hidden directories and leftOutPath are skipped with
    // everything below them; a symbolic link to a directory is taken but not
    // walked into.
    std::vector<fs::path> subdirectoriesOfDirectory(const fs::path& directory, int greatestLevel,
                                                    const fs::path& leftOutPath) {
        std::vector<fs::path> subdirectories;
        walk(directory, 0, greatestLevel, leftOutPath, subdirectories);
        return subdirectories;
    }

    const SkippedPaths& skippedPaths() const { return skipped_; }

private:
    void walk(const fs::path& directory, int level, int greatestLevel, const fs::path& leftOutPath,
              std::vector<fs::path>& subdirectories) {
        std::vector<fs::path> entries;
        if (!list(directory, entries)) {
            return;
        }
        for (const fs::path& entryPath : entries) {
            fs::file_status status;
            const bool isTaken = entryPath.filename().string().compare(0, 1, ".") != 0 &&
                                 entryPath != leftOutPath &&
                                 !isKernelFileSystem(directory, entryPath) &&
                                 readStatus(entryPath, status) && fs::is_directory(status);
            if (!isTaken) {
                continue;
            }
            subdirectories.push_back(entryPath);
            // A directory at the greatest level is listed when it is searched,
            // not here.
            boost::system::error_code linkError;
            const bool isLinkOrUnknown =
                fs::symlink_status(entryPath, linkError).type() != fs::directory_file;
            if (level < greatestLevel && !isLinkOrUnknown) {
                walk(entryPath, level + 1, greatestLevel, leftOutPath, subdirectories);
            }
        }
    }

    bool list(const fs::path& directory, std::vector<fs::path>& entries) {
        boost::system::error_code error;
        for (fs::directory_iterator it(directory, error), end; !error && it != end;
             it.increment(error)) {
            entries.push_back(it->path());
        }
        if (error) {
            remember(skipped_.directories, directory.string(), error.message());
            entries.clear();
            return false;
        }
        return true;
    }

    // False when the status cannot be read; a dangling symbolic link or an
    // entry that is gone has a status that is neither file nor directory.
    bool readStatus(const fs::path& entryPath, fs::file_status& status) {
        boost::system::error_code error;
        status = fs::status(entryPath, error);
        if (status.type() == fs::status_error) {
            remember(skipped_.entries, entryPath.string(), error.message());
            return false;
        }
        return true;
    }

    void remember(std::vector<SkippedPath>& paths, const std::string& path,
                  const std::string& reason) {
        if (rememberedPaths_.insert(path).second) {
            paths.push_back({path, reason});
        }
    }

    const std::string clipFileName_;
    const std::string clipStem_;
    SkippedPaths skipped_;
    std::set<std::string> rememberedPaths_;
};

} // namespace

ClipFilePathBasedFinder::ClipFilePathBasedFinder(const std::string& clipFilePath,
                                                 const LevelOfDepth& levelOfDepth)
    : clipFilePath_(clipFilePath), levelOfDepth_(levelOfDepth) {}

void ClipFilePathBasedFinder::find(std::string& correctionFilePath) const {
    const fs::path clipPath(clipFilePath_);
    const std::string clipFileName = clipPath.filename().string();
    const fs::path clipDirectory = clipPath.parent_path();

    DirectorySearch search(clipFileName);
    std::deque<fs::path> queue;
    std::vector<std::string> searchedDirectoryPaths;
    const auto processQueue = [&]() {
        while (!queue.empty()) {
            const fs::path directory = queue.front();
            queue.pop_front();
            searchedDirectoryPaths.push_back(directory.string());
            if (search.searchDirectory(directory, correctionFilePath)) {
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
        for (fs::path& subdirectory : search.subdirectoriesOfDirectory(
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
            for (fs::path& subdirectory : search.subdirectoriesOfDirectory(
                     currentDirectory, levelOfDepth_.parentSubdirectoryDepth - 1,
                     previousDirectory)) {
                queue.push_back(std::move(subdirectory));
            }
        }
        if (processQueue()) {
            return;
        }
    }

    throw NotFoundException(clipFilePath_, searchedDirectoryPaths, search.skippedPaths());
}

} // namespace CorrectionFile
