#pragma once

#include "correction_data/ContainerManagerDataSource.h"
#include "correction_file/LevelOfDepth.h"

#include <string>

namespace CorrectionData {

// Finds a clip's correction file in the directories around it, or takes a
// given one, then reads and parses it.
class CorrectionFileBasedContainerManagerDataSource : public ContainerManagerDataSource {
public:
    explicit CorrectionFileBasedContainerManagerDataSource(
        CorrectionFile::LevelOfDepth levelOfDepth);

    void content(const std::string& clipFilePath, std::string& correctionFilePath,
                 Content& content) override;
    void content(const std::string& correctionFilePath, Content& content) override;

private:
    CorrectionFile::LevelOfDepth levelOfDepth;
};

} // namespace CorrectionData
