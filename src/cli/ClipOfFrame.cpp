#include "cli/ClipOfFrame.h"

#include "host_rules/ReadMetadataRules.h"

#include <boost/filesystem/path.hpp>

std::string clipOfFrame(const ReadMetadata& metadata, const std::string& framePath) {
    std::string clip;
    if (!ReadMetadataRules::clipFilePath(metadata, framePath, clip)) {
        return "";
    }
    const boost::filesystem::path path(framePath);
    const std::string name = path.filename().string();
    if (clip == framePath && name.find('.') != 0) {
        clip = (path.parent_path() / name.substr(0, name.find('.'))).string();
    }
    return clip;
}
