#pragma once

#include <string>
#include <vector>

// One image, or an image sequence written with a frame-number field in its
// file name (plate.####.exr, plate.@@@@.exr or plate.%04d.exr). Every other
// character of the path, in the directories and the file name, stands for
// itself.
class ImageSequence {
public:
    // Throws UsageException for a file name with more than one frame-number
    // field or another printf directive.
    explicit ImageSequence(const std::string& path);

    bool isSequence() const { return isSequence_; }
    const std::string& path() const { return path_; }

    // The file of a frame; the path itself for one image.
    std::string framePath(int frame) const;
    // The frame numbers of the files on disk, ascending; empty when the
    // directory holds none (or cannot be read).
    std::vector<int> framesOnDisk() const;

private:
    std::string digits(int frame) const;

    std::string path_;
    // The directory with its closing separator, and the file name around the field.
    std::string directory_;
    std::string prefix_;
    std::string suffix_;
    // The least number of digits; more are written when the number needs them.
    std::size_t width_ = 0;
    bool isSequence_ = false;
};
