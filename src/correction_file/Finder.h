#pragma once

#include <string>

namespace CorrectionFile {

// Finds the correction file that belongs to something (a clip).
class Finder {
public:
    virtual ~Finder();

    // Writes the path of the correction file found into the output string;
    // throws an Exception (NotFoundException) when there is none.
    virtual void find(std::string& correctionFilePath) const = 0;

protected:
    Finder() = default;
    Finder(const Finder&) = default;
    Finder& operator=(const Finder&) = default;
};

} // namespace CorrectionFile
