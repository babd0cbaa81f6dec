// The Read-metadata rules over any metadata: the input's first line is the
// file path being read, every further line "key=value" one metadata entry.
// Every rule either answers or says it cannot; none may crash or hang.
#include "host_rules/ReadMetadata.h"
#include "host_rules/ReadMetadataRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

namespace {

class MapMetadata : public ReadMetadata {
public:
    explicit MapMetadata(std::map<std::string, std::string> entries)
        : entries_(std::move(entries)) {}

    bool text(const std::string& key, std::string& value) const override {
        const auto entry = entries_.find(key);
        if (entry == entries_.end()) {
            return false;
        }
        value = entry->second;
        return true;
    }
    bool number(const std::string& key, double& value) const override {
        const auto entry = entries_.find(key);
        if (entry == entries_.end()) {
            return false;
        }
        char* end = nullptr;
        value = std::strtod(entry->second.c_str(), &end);
        return end != entry->second.c_str();
    }

private:
    std::map<std::string, std::string> entries_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string filePath;
    std::getline(input, filePath);
    std::map<std::string, std::string> entries;
    for (std::string line; std::getline(input, line);) {
        const auto separator = line.find('=');
        entries[line.substr(0, separator)] =
            separator == std::string::npos ? std::string() : line.substr(separator + 1);
    }
    const MapMetadata metadata(entries);
    const boost::filesystem::path path(filePath);

    std::string extension;
    std::string text;
    bool unsupported = false;
    ReadMetadataRules::clipFileExtension(path, extension);
    ReadMetadataRules::cameraManufacturer(metadata, extension, text);
    ReadMetadataRules::originalClipFileName(metadata, path, unsupported, text);
    ReadMetadataRules::clipFilePath(metadata, path, text);
    float rate = 0.0F;
    ReadMetadataRules::r3dFramerate(metadata, rate);
    std::string timecode = entries.count("timecode") != 0 ? entries["timecode"] : "";
    ReadMetadataRules::modifyR3dTimecodeIfNeeded(metadata, timecode);
    ReadMetadataRules::timecode(metadata, extension, unsupported, text);
    unsigned int frameNumber = 0;
    for (const int firstFrame : {0, 1, 1001, -5}) {
        ReadMetadataRules::frameNumber(metadata, firstFrame, frameNumber);
        if (ReadMetadataRules::frameNumberAndTimecode(metadata, path, firstFrame, frameNumber,
                                                      timecode)) {
            ReadMetadataRules::timecodeFitsFrameData(timecode);
        }
    }
    ReadMetadataRules::jsonMetadataString(metadata, path, text);
    return 0;
}
