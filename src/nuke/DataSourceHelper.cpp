#include "nuke/DataSourceHelper.h"

#include "DDImage/Knob.h"
#include "DDImage/Read.h"
#include "host_rules/ReadMetadataRules.h"
#include "nuke/LensCorrection.h"
#include "nuke/ReadNodeMetadata.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace DataSourceHelper {

namespace {

// More steps than any script has operators: a cycle in the graph ends the search.
const int maximumSearchSteps = 100000;

// The frame number written into a file name pattern: runs of "#" and printf's
// "%d" and "%0Nd", as the host writes them.
std::string withFrameNumber(const std::string& pattern, int frame) {
    std::string name;
    for (size_t i = 0; i < pattern.size();) {
        size_t width = 0;
        size_t length = 0;
        if (pattern[i] == '#') {
            length = pattern.find_first_not_of('#', i);
            length = (length == std::string::npos ? pattern.size() : length) - i;
            width = length;
        } else if (pattern[i] == '%') {
            size_t end = i + 1;
            while (end < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[end]))) {
                ++end;
            }
            if (end < pattern.size() && pattern[end] == 'd') {
                width = end > i + 1 ? static_cast<size_t>(std::atoi(pattern.c_str() + i + 1)) : 0;
                length = end + 1 - i;
            }
        }
        if (length == 0) {
            name += pattern[i++];
            continue;
        }
        std::string number = std::to_string(frame < 0 ? -frame : frame);
        number.insert(0, width > number.size() ? width - number.size() : 0, '0');
        name += (frame < 0 ? "-" : "") + number;
        i += length;
    }
    return name;
}

// The full-resolution file of the current frame. In proxy mode the Read's
// filename() names the proxy file, so the name comes from its "file" knob;
// empty where that knob gives no plain absolute path (an expression, say).
std::string fullResolutionFileName(DD::Image::Read& read) {
    const DD::Image::Knob* file = read.knob("file");
    const char* text = file != nullptr ? file->get_text() : nullptr;
    if (text == nullptr || *text == '\0' || std::strchr(text, '[') != nullptr) {
        return std::string();
    }
    const std::string name = withFrameNumber(text, read.frame_for_reader());
    return boost::filesystem::path(name).is_absolute() ? name : std::string();
}

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
    std::string fileName = fullResolutionFileName(*read);
    if (fileName.empty()) {
        const char* name = read->filename();
        fileName = name != nullptr ? name : "";
    }
    if (fileName.empty()) {
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
