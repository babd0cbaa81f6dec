#include "correction_file/CorrectionFileBasedContainerManagerDataSource.h"

#include "correction_file/ClipFilePathBasedFinder.h"
#include "correction_file/Parser.h"
#include "correction_file/Reader.h"
#include "foundation/Exception.h"

#include <boost/filesystem/operations.hpp>

#include <utility>

namespace CorrectionData {

namespace {

// Leaves content untouched when reading or parsing fails. The file is
// examined before it is read: one replaced during the read then differs from
// what was examined, and is read again when next asked for.
void readAndParseContent(const std::string& path, Content& content) {
    SourceFile source;
    SourceFile::examine(path, source);
    source.examinedPath = path;
    boost::system::error_code ignored;
    const boost::filesystem::path absolute = boost::filesystem::absolute(path, ignored);
    source.path = absolute.empty() ? path : absolute.string();
    std::string text;
    CorrectionFile::Reader().readFile(path, text);
    Content parsed;
    CorrectionFile::Parser().parse(text, parsed);
    content.header = parsed.header;
    content.frames = std::move(parsed.frames);
    content.source = source;
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
    try {
        readAndParseContent(correctionFilePath, content);
    } catch (const Exception& error) {
        // Name the file the search found, which the caller does not see.
        const std::string detail = detailLinesOf(error.detailedDescription());
        throw Exception(error.what(), "Correction File Path: \"" + correctionFilePath + "\"" +
                                          (detail.empty() ? "" : "\n" + detail));
    }
}

void CorrectionFileBasedContainerManagerDataSource::content(const std::string& correctionFilePath,
                                                            Content& content) {
    readAndParseContent(correctionFilePath, content);
}

} // namespace CorrectionData
