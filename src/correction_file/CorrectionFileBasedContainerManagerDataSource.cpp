#include "correction_file/CorrectionFileBasedContainerManagerDataSource.h"

#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"

#include <utility>

namespace CorrectionData {

namespace {

// Leaves content untouched when reading or parsing fails.
void readAndParseContent(const std::string& path, Content& content) {
    std::string text;
    CorrectionFile::Reader().readFile(path, text);
    Content parsed;
    CorrectionFile::Parser().parse(text, parsed);
    content.header = parsed.header;
    content.frames = std::move(parsed.frames);
}

} // namespace

CorrectionFileBasedContainerManagerDataSource::CorrectionFileBasedContainerManagerDataSource(
    CorrectionFile::LevelOfDepth levelOfDepth_)
    : levelOfDepth(levelOfDepth_) {}

void CorrectionFileBasedContainerManagerDataSource::content(const std::string& clipFilePath,
                                                            std::string& correctionFilePath,
                                                            Content& content) {
    const CorrectionFile::ClipFilePathBasedFinder finder(clipFilePath, levelOfDepth);
    finder.find(correctionFilePath);
    readAndParseContent(correctionFilePath, content);
}

void CorrectionFileBasedContainerManagerDataSource::content(const std::string& correctionFilePath,
                                                            Content& content) {
    readAndParseContent(correctionFilePath, content);
}

} // namespace CorrectionData
