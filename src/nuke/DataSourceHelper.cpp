#include "nuke/DataSourceHelper.h"

#include "DDImage/Read.h"
#include "nuke/LensCorrection.h"
#include "nuke/ReadMetadataRules.h"
#include "nuke/ReadNodeMetadata.h"

namespace DataSourceHelper {

namespace {

// More steps than any script has operators: a cycle in the graph ends the search.
const int maximumSearchSteps = 100000;

} // namespace

DD::Image::Read* readNode(const LensCorrection* node) {
    DD::Image::Op* op = node->metadataInput();
    for (int step = 0; op != nullptr && step < maximumSearchSteps; ++step) {
        if (auto* read = dynamic_cast<DD::Image::Read*>(op)) {
            return read;
        }
        const int next = dynamic_cast<const LensCorrection*>(op) != nullptr
                             ? LensCorrection::metadataInputIndex()
                             : 0;
        op = LensCorrection::inputOf(*op, next);
    }
    return nullptr;
}

bool clipFilePath(DD::Image::Read* read, boost::filesystem::path& path) {
    const char* fileName = read->filename();
    if (fileName == nullptr || *fileName == '\0') {
        return false;
    }
    path = fileName;
    return true;
}

bool readNodeAndClipFilePath(const LensCorrection* node, DD::Image::Read** read,
                             boost::filesystem::path& path) {
    DD::Image::Read* found = readNode(node);
    if (found == nullptr || !clipFilePath(found, path)) {
        return false;
    }
    *read = found;
    return true;
}

bool clipFilePath(const LensCorrection* node, std::string& clipFilePath) {
    DD::Image::Read* read = nullptr;
    boost::filesystem::path path;
    if (!readNodeAndClipFilePath(node, &read, path)) {
        return false;
    }
    return ReadMetadataRules::clipFilePath(ReadNodeMetadata(*read), path, clipFilePath);
}

bool frameNumberAndTimecode(const LensCorrection* node, unsigned int& frameNumber,
                            std::string& timecode) {
    DD::Image::Read* read = nullptr;
    boost::filesystem::path path;
    if (!readNodeAndClipFilePath(node, &read, path)) {
        return false;
    }
    return ReadMetadataRules::frameNumberAndTimecode(
        ReadNodeMetadata(*read), path, read->info().first_frame(), frameNumber, timecode);
}

bool jsonMetadataString(const LensCorrection* node, std::string& json) {
    DD::Image::Read* read = nullptr;
    boost::filesystem::path path;
    if (!readNodeAndClipFilePath(node, &read, path)) {
        return false;
    }
    return ReadMetadataRules::jsonMetadataString(ReadNodeMetadata(*read), path, json);
}

} // namespace DataSourceHelper
