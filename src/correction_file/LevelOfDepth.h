#pragma once

#include <cstdint>

namespace CorrectionFile {

// The bounds of the correction file search around a clip. Every host
// searches within `clipSearchDepth`.
struct LevelOfDepth {
    // Levels of subdirectories searched below the clip's directory.
    std::uint8_t subdirectoryDepth = 0;
    // Parent directories searched above the clip's directory.
    std::uint8_t parentDirectoryCount = 0;
    // Levels of subdirectories searched below each of those parents.
    std::uint8_t parentSubdirectoryDepth = 0;
};

// One level of subdirectories, five parents, two levels below each parent.
constexpr LevelOfDepth clipSearchDepth{1, 5, 2};

} // namespace CorrectionFile
