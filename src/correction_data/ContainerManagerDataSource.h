#pragma once

#include "correction_data/Content.h"

#include <string>

namespace CorrectionData {

// Finds, reads and parses correction files for the container manager on a
// cache miss. Each operation fills `content` or throws an Exception and leaves
// it untouched.
class ContainerManagerDataSource {
public:
    virtual ~ContainerManagerDataSource() = default;

    // The correction file that belongs to the clip; its path goes to correctionFilePath.
    virtual void content(const std::string& clipFilePath, std::string& correctionFilePath,
                         Content& content) = 0;
    // The correction file at correctionFilePath.
    virtual void content(const std::string& correctionFilePath, Content& content) = 0;

protected:
    ContainerManagerDataSource() = default;
    ContainerManagerDataSource(const ContainerManagerDataSource&) = default;
    ContainerManagerDataSource& operator=(const ContainerManagerDataSource&) = default;
};

} // namespace CorrectionData
