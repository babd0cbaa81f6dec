#pragma once

#include <cstdint>
#include <string>

namespace CorrectionData {

// The file that a content was read from, as it was when examined: an edited or
// replaced file differs in size, modification time or inode.
struct SourceFile {
    // Absolute; empty when the content was not read from a file.
    std::string path;
    // The path the file was read and is examined through, as given: it still
    // reaches the file where a directory above the current one cannot be read.
    std::string examinedPath;
    std::uint64_t size = 0;
    std::int64_t modificationTimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;

    // The file at `path` now, named by `path` both ways; false, leaving `file`
    // untouched, when it cannot be examined (it was deleted, or a directory on
    // the way cannot be read).
    static bool examine(const std::string& path, SourceFile& file);

    // Size, modification time, inode and device, whatever the names.
    bool hasSameStatusAs(const SourceFile& other) const;
    bool isSameFileAs(const SourceFile& other) const;
    // True without a path, or when the file at `examinedPath` is still this one.
    bool isUnchangedOnDisk() const;
};

} // namespace CorrectionData
