// Reads the lens correction metadata embedded as JSON in a clip's metadata
// (the key "exr/com.velor.LensCorrection"). A short sample of the form it reads (other members are
// ignored; each array holds 6 or 7 numbers):
//
//   {
//     "recordingFormat": {
//       "camera": { "manufacturer": "ARRI", "model": "ALEXA Mini LF" },
//       "clipResolution": { "width": 3840, "height": 2160 },
//       "imageRadius": 14.0
//     },
//     "frameData": {
//       "interpolationPoints": {
//         "heights": [0, 5, 10, 15, 18, 21.4],
//         "shading": [100, 99, 97, 94, 91, 88],
//         "radialDistortion": [0, -0.1, -0.4, -0.9, -1.3, -1.9]
//       }
//     }
//   }

#pragma once

#include "correction_data/Frame.h"
#include "correction_data/Header.h"

#include <string>

namespace CorrectionData {

class JsonParser {
public:
    // Fills header (camera manufacturer and model, clip width and height, the
    // sensor width derived from the image radius) and frame (the three
    // interpolation point lists); every other member gets its default. On any
    // failure throws Exception "JSON metadata string has an invalid format."
    // and leaves header and frame unchanged; its detail names the fault: the
    // line and the reader's reason for a syntax error, else the key and the
    // value or count that is wrong.
    static void parse(const std::string& json, Header& header, Frame& frame);
};

} // namespace CorrectionData
