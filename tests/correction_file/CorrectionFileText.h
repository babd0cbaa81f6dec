#pragma once

// Builds correction file texts for the tests: a valid file of
// version 2 or 3 whose header entries and rows can be changed one by one.

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace CorrectionFileText {

inline const std::vector<std::pair<std::string, std::string>>& defaultHeaderEntries() {
    static const std::vector<std::pair<std::string, std::string>> entries{
        {"lensManufacturer", "Velor Optics"},
        {"lensTypeName", "Prime 35"},
        {"lensSerialNumber", "SN-0042"},
        {"lensMinFocalLength", "35"},
        {"lensMaxFocalLength", "35"},
        {"cameraManufacturer", "ARRI"},
        {"cameraModel", "ALEXA Mini LF"},
        {"sensorWidth", "36.70"},
        {"clipName", "A001C003"},
        {"videoFileName", "A001C003.mov"},
        {"clipDurationFrames", "3"},
        {"clipWidth", "4448"},
        {"clipHeight", "3096"},
        {"tcFps", "23.976"},
        {"tcDrop", "0"},
        {"enableLensShadingCorrection", "1"},
        {"shadingGamma", "2.2"},
        {"enableLensDistortionCorrection", "1"},
        {"distortionZoom", "1.05"}};
    return entries;
}

inline const char* const version3ColumnHeader =
    "frame;heights;shading;radialDistortion;focalLength;focusDistance;iris;zoom;reserved;timecode";
inline const char* const version2ColumnHeader =
    "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;reserved;timecode";

inline std::string
version3Row(const std::string& number, const std::string& timecode,
            const std::string& heights = "0,4,8,12,16,20,24",
            const std::string& shading = "100,99.5,98,96,93.5,90,86",
            const std::string& distortion = "0,-0.1,-0.35,-0.8,-1.2,-1.75,-2.3") {
    return number + ";" + heights + ";" + shading + ";" + distortion + ";35;2.5;2.8;;;" + timecode;
}

inline std::string version2Row(const std::string& number, const std::string& timecode,
                               const std::string& shading = "100,99,97,94,91,88",
                               const std::string& distortion = "0,-0.1,-0.4,-0.9,-1.3,-1.9") {
    return number + ";" + shading + ";" + distortion + ";35;2.5;2.8;;;" + timecode;
}

// The header block lines: HEADER_START, one line per entry, HEADER_END.
// overrides replace the value of a key; keys in leftOut are not written.
inline std::vector<std::string>
headerLines(const std::map<std::string, std::string>& overrides = {},
            const std::vector<std::string>& leftOut = {}) {
    std::vector<std::string> lines{"HEADER_START"};
    for (const auto& entry : defaultHeaderEntries()) {
        if (std::find(leftOut.begin(), leftOut.end(), entry.first) == leftOut.end()) {
            const auto override = overrides.find(entry.first);
            lines.push_back(entry.first +
                            ":=" + (override != overrides.end() ? override->second : entry.second));
        }
    }
    lines.push_back("HEADER_END");
    return lines;
}

inline std::string join(const std::vector<std::string>& lines, const std::string& lineEnd = "\n") {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

// Version line, header block, column header and the given rows.
inline std::vector<std::string> fileLines(int version, const std::vector<std::string>& rows,
                                          const std::map<std::string, std::string>& overrides = {},
                                          const std::vector<std::string>& leftOut = {}) {
    std::vector<std::string> lines{"# VLCF Version " + std::to_string(version)};
    const std::vector<std::string> header = headerLines(overrides, leftOut);
    lines.insert(lines.end(), header.begin(), header.end());
    lines.push_back(version == 2 ? version2ColumnHeader : version3ColumnHeader);
    lines.insert(lines.end(), rows.begin(), rows.end());
    return lines;
}

// The line number of the first row in a file made by fileLines: version line,
// 21 header block lines and the column header come before it.
inline constexpr unsigned int firstRowLineNumber = 24;

inline std::string validVersion3Text(const std::string& videoFileName = "A001C003.mov",
                                     const std::string& clipName = "A001C003") {
    return join(fileLines(3, {version3Row("0", "10.00.00.00"), version3Row("1", "10.00.00.01")},
                          {{"videoFileName", videoFileName}, {"clipName", clipName}}));
}

} // namespace CorrectionFileText
