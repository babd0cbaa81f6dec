#include "nuke/DataSourceHelper.h"

#include "DDImage/Knob.h"
#include "DDImage/Read.h"
#include "host_rules/ReadMetadataRules.h"
#include "nuke/LensCorrection.h"
#include "nuke/ReadNodeMetadata.h"

#include <string>

namespace DataSourceHelper {

namespace {

// More steps than any script has operators: a cycle in the graph ends the search.
const int maximumSearchSteps = 100000;

// The host's evaluation of the Read's "file" knob (the full-resolution file) for the file
// frame and view being read, through its Python: the host expands views, variables, expressions
// and the frame itself, and remaps the path as it does for every file. Empty when the host
// cannot evaluate it.
std::string evaluatedFullResolutionFileName(const DD::Image::Read& read) {
    const std::string name = read.node_name();
    if (name.empty() || name.find_first_of("'\\\n") != std::string::npos) {
        return std::string();
    }
    const std::string command =
        "(lambda c: (c.setFrame(" + std::to_string(read.frame_for_reader()) + "), c.setView(" +
        std::to_string(read.outputContext().view()) + "), nuke.toNode('" + name +
        "')['file'].getEvaluatedValue(c))[-1])(nuke.OutputContext())";
    const bool evaluated = read.script_command(command.c_str(), true, true);
    const char* result = evaluated ? DD::Image::Op::script_result(true) : nullptr;
    std::string fileName = result != nullptr ? result : "";
    DD::Image::Op::script_unlock();
    return fileName;
}

// Whether the Read reads a proxy file: a proxy name is set, and then the host's filename()
// names the proxy file in proxy mode.
bool hasProxyFile(const DD::Image::Read& read) {
    const DD::Image::Knob* proxy = read.knob("proxy");
    const char* text = proxy != nullptr ? proxy->get_text() : nullptr;
    return text != nullptr && *text != '\0';
}

// The full-resolution file of the current frame and view: the host's filename(), unless the
// Read may be reading a proxy file; then the host's evaluation of the "file" knob.
std::string fullResolutionFileName(const DD::Image::Read& read) {
    if (hasProxyFile(read)) {
        return evaluatedFullResolutionFileName(read);
    }
    const char* name = read.filename();
    return name != nullptr ? name : "";
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
    const std::string fileName = fullResolutionFileName(*read);
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
    // "input/frame" is the number of the file read, so frames count from the first frame of the
    // file's own range (the Reader's), not of the Read's range in the script, which its frame
    // offset and "start at" move.
    return ReadMetadataRules::frameNumberAndTimecode(ReadNodeMetadata(*read), path,
                                                     read->first_frame(), frameNumber, timecode);
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
