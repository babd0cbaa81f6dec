#pragma once

#include <string>
#include <vector>

// One image, or an image sequence written with a frame-number field
// (plate.####.exr, plate.@@@@.exr or plate.%04d.exr).
class ImageSequence {
public:
    // Throws UsageException for a path with more than one frame-number field
    // or another printf directive.
    explicit ImageSequence(const std::string& path);

    bool isSequence() const { return isSequence_; }
    const std::string& path() const { return path_; }

    // The file of a frame; the path itself for one image.
    std::string framePath(int frame) const;
    // The frame numbers of the files on disk, ascending; empty when the
    // directory holds none (or cannot be read).
    std::vector<int> framesOnDisk() const;

private:
    std::string path_;
    // printf form of a sequence, for example plate.%04d.exr.
    std::string normalizedPattern_;
    bool isSequence_ = false;
};
