// Parses correction files (".vlcf"). A short sample of the format:
//
//   # VLCF Version 2
//   HEADER_START
//   clipName:=A001C003
//   videoFileName:=A001C003.mov
//   tcFps:=23.976
//   ...                         (the other keys of Parser::mandatoryKeys)
//   HEADER_END
//   frame;shading;radialDistortion;a;b;c;d;e;timecode
//   0;100,99,97,94,91,88;0,-0.1,-0.4,-0.9,-1.3,-1.9;;;;;;10.00.00.00

#include "correction_file/Parser.h"

#include "correction_file/InvalidFormatException.h"

#include <boost/algorithm/string/finder.hpp>
#include <boost/algorithm/string/iter_find.hpp>
#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace CorrectionFile {

namespace {

const char* const headerStartLine = "HEADER_START";
const char* const headerEndLine = "HEADER_END";
const char* const headerEntrySeparator = ":=";
const char* const versionLinePrefix = "# VLCF Version ";
const char* const version2Line = "# VLCF Version 2";
const char* const version3Line = "# VLCF Version 3";
const char* const bodyStartPrefix = "frame;";
const char* const columnSeparator = ";";
const char* const listSeparator = ",";

// The heights every version 2 frame gets, converted like any other float.
const std::array<const char*, 6> version2Heights{"0.0", "5.0", "10.0", "15.0", "18.0", "21.4"};

// Reads the text line by line from its start. A line ends at a line feed,
// which is consumed and not kept; every carriage return is removed from it.
class LineReader {
public:
    explicit LineReader(const std::string& text) : text_(text) {}

    // False when the text is exhausted; a final line feed does not start an
    // extra empty line.
    bool getLine(std::string& line) {
        if (position_ >= text_.size()) {
            return false;
        }
        std::size_t end = text_.find('\n', position_);
        if (end == std::string::npos) {
            end = text_.size();
        }
        line.assign(text_, position_, end - position_);
        position_ = end + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        return true;
    }

private:
    const std::string& text_;
    std::size_t position_ = 0;
};

bool beginsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::vector<std::string> split(const std::string& text, const char* separator) {
    std::vector<std::string> parts;
    boost::algorithm::iter_split(parts, text, boost::algorithm::first_finder(separator));
    return parts;
}

// boost::lexical_cast's conversion, in its form that reports failure by its
// result instead of by throwing bad_lexical_cast.
template <typename Target>
bool convert(const std::string& text, Target& value) {
    return boost::conversion::try_lexical_convert(text, value);
}

// Converts every item of a list; false at the first item that is not a float.
template <typename Items>
bool convertFloats(const Items& items, std::vector<float>& values) {
    values.clear();
    values.reserve(items.size());
    for (const auto& item : items) {
        float value = 0.0F;
        if (!convert(std::string(item), value)) {
            return false;
        }
        values.push_back(value);
    }
    return true;
}

// NaN fails the check.
bool allWithin(const std::vector<float>& values, float lowest, float highest) {
    return std::all_of(values.begin(), values.end(), [lowest, highest](float value) {
        return value >= lowest && value <= highest;
    });
}

// Builds one frame from a body row; false when any check fails.
bool parseFrameRow(const std::string& row, bool isVersion3, CorrectionData::Frame& frame) {
    const std::vector<std::string> columns = split(row, columnSeparator);
    const std::size_t requiredColumnCount = isVersion3 ? 10 : 9;
    if (columns.size() < requiredColumnCount) {
        return false;
    }
    const std::size_t pointCount = isVersion3 ? 7 : 6;
    const std::size_t firstListColumn = isVersion3 ? 1 : 0;

    int number = 0;
    if (!convert(columns[0], number) || number < 0) {
        return false;
    }

    std::vector<std::string> heightItems;
    if (isVersion3) {
        heightItems = split(columns[1], listSeparator);
        if (heightItems.size() != pointCount) {
            return false;
        }
    }
    const std::vector<std::string> shadingItems =
        split(columns[firstListColumn + 1], listSeparator);
    if (shadingItems.size() != pointCount) {
        return false;
    }
    const std::vector<std::string> distortionItems =
        split(columns[firstListColumn + 2], listSeparator);
    if (distortionItems.size() != pointCount) {
        return false;
    }

    std::vector<float> heights;
    const bool heightsConverted =
        isVersion3 ? convertFloats(heightItems, heights) : convertFloats(version2Heights, heights);
    std::vector<float> shading;
    std::vector<float> radialDistortion;
    if (!heightsConverted || !convertFloats(shadingItems, shading) ||
        !convertFloats(distortionItems, radialDistortion)) {
        return false;
    }
    if (!allWithin(heights, 0.0F, 100.0F) || !allWithin(shading, 0.0F, 100.0F) ||
        !allWithin(radialDistortion, -100.0F, 100.0F)) {
        return false;
    }

    std::string timecode = columns[requiredColumnCount - 1];
    std::replace(timecode.begin(), timecode.end(), '.', ':');

    frame.number = static_cast<unsigned int>(number);
    frame.interpolationPoints.heights = std::move(heights);
    frame.interpolationPoints.shading = std::move(shading);
    frame.interpolationPoints.radialDistortion = std::move(radialDistortion);
    frame.timecode = std::move(timecode);
    return true;
}

// Text values are stored as written.
void storeText(const std::map<std::string, std::string>& entries, const char* key,
               std::string& member) {
    member = entries.at(key);
}

// Numbers and flags that do not convert store 0 or false.
template <typename Target, typename Member>
void storeConverted(const std::map<std::string, std::string>& entries, const char* key,
                    Member& member) {
    Target value{};
    if (convert(entries.at(key), value)) {
        member = static_cast<Member>(value);
    } else {
        member = Member{};
    }
}

} // namespace

void Parser::parse(const std::string& text, CorrectionData::Content& content) const {
    CorrectionData::Content parsed;
    parseHeader(text, parsed.header);
    parseBody(text, parsed.frames);
    content.header = std::move(parsed.header);
    content.frames = std::move(parsed.frames);
}

void Parser::parseHeader(const std::string& text, CorrectionData::Header& header) const {
    LineReader reader(text);
    std::string line;
    unsigned int lineNumber = 0;

    bool headerStartFound = false;
    while (reader.getLine(line)) {
        ++lineNumber;
        if (line == headerStartLine) {
            headerStartFound = true;
            break;
        }
    }
    if (!headerStartFound) {
        throw InvalidFormatException("Header start could not be found.");
    }

    std::map<std::string, std::string> entries;
    bool headerEndFound = false;
    while (reader.getLine(line)) {
        ++lineNumber;
        if (line == headerEndLine) {
            headerEndFound = true;
            break;
        }
        if (line.empty()) {
            continue;
        }
        std::vector<std::string> parts = split(line, headerEntrySeparator);
        if (parts.size() != 2) {
            throw InvalidFormatException(lineNumber, line);
        }
        entries.emplace(std::move(parts[0]), std::move(parts[1]));
    }
    if (!headerEndFound) {
        throw InvalidFormatException("Header end could not be found.");
    }

    for (const char* key : mandatoryKeys) {
        if (entries.find(key) == entries.end()) {
            throw InvalidFormatException(std::string("Header entry with key \"") + key +
                                         "\" was not found.\n");
        }
    }

    storeText(entries, "lensManufacturer", header.lens.manufacturer);
    storeText(entries, "lensTypeName", header.lens.typeName);
    storeText(entries, "lensSerialNumber", header.lens.serialNumber);
    storeConverted<unsigned int>(entries, "lensMinFocalLength", header.lens.minFocalLength);
    storeConverted<unsigned int>(entries, "lensMaxFocalLength", header.lens.maxFocalLength);
    storeText(entries, "cameraManufacturer", header.camera.manufacturer);
    storeText(entries, "cameraModel", header.camera.model);
    storeConverted<float>(entries, "sensorWidth", header.camera.sensorWidth);
    storeText(entries, "clipName", header.clip.name);
    const std::string& videoFileName = entries.at("videoFileName");
    if (videoFileName.empty()) {
        throw InvalidFormatException(
            "Header entry with key \"videoFileName\" does not have a value.");
    }
    header.clip.videoFileName = videoFileName;
    storeConverted<unsigned int>(entries, "clipDurationFrames", header.clip.durationFrames);
    storeConverted<unsigned int>(entries, "clipWidth", header.clip.width);
    storeConverted<unsigned int>(entries, "clipHeight", header.clip.height);
    float fps = 0.0F;
    // A rate must count frames: NaN and infinity are refused like zero.
    if (!convert(entries.at("tcFps"), fps) || !(fps > 0.0F) || !std::isfinite(fps)) {
        throw InvalidFormatException(
            "Header entry with key \"tcFps\" does not have a valid value.");
    }
    header.tc.fps = fps;
    storeConverted<bool>(entries, "tcDrop", header.tc.drop);
    storeConverted<bool>(entries, "enableLensShadingCorrection", header.shadingCorrection.enabled);
    storeConverted<float>(entries, "shadingGamma", header.shadingCorrection.gamma);
    storeConverted<bool>(entries, "enableLensDistortionCorrection",
                         header.distortionCorrection.enabled);
    storeConverted<float>(entries, "distortionZoom", header.distortionCorrection.zoom);
}

void Parser::parseBody(const std::string& text,
                       std::map<unsigned int, CorrectionData::Frame>& frames) const {
    LineReader reader(text);
    std::string line;
    unsigned int lineNumber = 0;

    bool versionFound = false;
    while (reader.getLine(line)) {
        ++lineNumber;
        if (beginsWith(line, versionLinePrefix)) {
            versionFound = true;
            break;
        }
    }
    if (!versionFound) {
        throw InvalidFormatException("Version could not be found.");
    }
    bool isVersion3 = false;
    if (line == version3Line) {
        isVersion3 = true;
    } else if (line != version2Line) {
        throw InvalidFormatException("Version is not supported.");
    }

    bool bodyStartFound = false;
    while (reader.getLine(line)) {
        ++lineNumber;
        if (beginsWith(line, bodyStartPrefix)) {
            bodyStartFound = true;
            break;
        }
    }
    if (!bodyStartFound) {
        throw InvalidFormatException("Body start could not be found.");
    }

    std::vector<CorrectionData::Frame> parsedFrames;
    while (reader.getLine(line)) {
        ++lineNumber;
        if (line.empty()) {
            continue;
        }
        CorrectionData::Frame frame;
        if (!parseFrameRow(line, isVersion3, frame)) {
            throw InvalidFormatException(lineNumber, line);
        }
        parsedFrames.push_back(std::move(frame));
    }

    for (CorrectionData::Frame& frame : parsedFrames) {
        const unsigned int number = frame.number;
        frames[number] = std::move(frame);
    }
}

} // namespace CorrectionFile
