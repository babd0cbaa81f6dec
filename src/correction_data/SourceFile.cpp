#include "correction_data/SourceFile.h"

#include <sys/stat.h>

namespace CorrectionData {

bool SourceFile::examine(const std::string& path, SourceFile& file) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    file.path = path;
    file.examinedPath = path;
    file.size = static_cast<std::uint64_t>(status.st_size);
    file.modificationTimeNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    file.inode = static_cast<std::uint64_t>(status.st_ino);
    file.device = static_cast<std::uint64_t>(status.st_dev);
    return true;
}

bool SourceFile::hasSameStatusAs(const SourceFile& other) const {
    return size == other.size && modificationTimeNs == other.modificationTimeNs &&
           inode == other.inode && device == other.device;
}

bool SourceFile::isSameFileAs(const SourceFile& other) const {
    return path == other.path && hasSameStatusAs(other);
}

bool SourceFile::isUnchangedOnDisk() const {
    SourceFile now;
    return path.empty() || (examine(examinedPath, now) && now.hasSameStatusAs(*this));
}

} // namespace CorrectionData
