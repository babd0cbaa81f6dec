// Reads correction files (".vlcf"). A short sample of the format:
//
//   # VLCF Version 3
//   HEADER_START
//   lensManufacturer:=Velor
//   ...                         (all 19 keys of mandatoryKeys, as key:=value)
//   videoFileName:=A001C003.mov
//   tcFps:=25
//   HEADER_END
//   frame;heights;shading;radialDistortion;a;b;c;d;e;timecode
//   0;0,5,10,15,18,21.4,24;100,99,97,94,91,88,85;0,-0.1,-0.4,-0.9,-1.3,-1.9,-2.4;;;;;;01.00.00.00
//
// Version 2 rows have no heights column (nine columns, six values per list;
// the heights are fixed at 0, 5, 10, 15, 18 and 21.4). Every line counts for
// line numbers; carriage returns are removed before a line is examined.

#pragma once

#include "correction_data/Content.h"
#include "correction_data/Frame.h"
#include "correction_data/Header.h"

#include <array>
#include <map>
#include <string>

namespace CorrectionFile {

// Turns the text of a correction file into header and frame records. Holds no
// state; every failure is a CorrectionFile::InvalidFormatException.
class Parser {
public:
    // The 19 header keys that must be present, in the order in which their
    // presence is tested and their values are converted.
    static constexpr std::array<const char*, 19> mandatoryKeys{"lensManufacturer",
                                                               "lensTypeName",
                                                               "lensSerialNumber",
                                                               "lensMinFocalLength",
                                                               "lensMaxFocalLength",
                                                               "cameraManufacturer",
                                                               "cameraModel",
                                                               "sensorWidth",
                                                               "clipName",
                                                               "videoFileName",
                                                               "clipDurationFrames",
                                                               "clipWidth",
                                                               "clipHeight",
                                                               "tcFps",
                                                               "tcDrop",
                                                               "enableLensShadingCorrection",
                                                               "shadingGamma",
                                                               "enableLensDistortionCorrection",
                                                               "distortionZoom"};

    // Parses header and body of the same text; only when both succeed are they
    // assigned to content (whose old frames are replaced). On failure content
    // is left unchanged.
    void parse(const std::string& text, CorrectionData::Content& content) const;

    // Fills header from the header block. When it throws, the members
    // converted before the failure are already written.
    void parseHeader(const std::string& text, CorrectionData::Header& header) const;

    // Inserts or replaces the frames of the body in frames; entries with other
    // numbers stay. When it throws, frames is unchanged.
    void parseBody(const std::string& text,
                   std::map<unsigned int, CorrectionData::Frame>& frames) const;
};

} // namespace CorrectionFile
