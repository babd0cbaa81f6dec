#pragma once

#include <string>

namespace CorrectionFile {

// Loads a correction file from disk into one string, byte for byte (carriage
// returns included; the parser removes them).
class Reader {
public:
    // Replaces fileContent with the complete contents of the file at filePath.
    // Throws NotReadableException (fileContent unchanged) when the file cannot
    // be opened for reading.
    void readFile(const std::string& filePath, std::string& fileContent) const;
};

} // namespace CorrectionFile
