// Any JSON text either parses into 6 or 7 points per list or fails with
// Exception, leaving the caller's records as they were.
#include "correction_data/JsonParser.h"
#include "foundation/Exception.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string json(reinterpret_cast<const char*>(data), size);
    CorrectionData::Header header;
    CorrectionData::Frame frame;
    frame.timecode = "sentinel";
    try {
        CorrectionData::JsonParser::parse(json, header, frame);
        const auto count = [](std::size_t n) { return n == 6 || n == 7; };
        const auto& points = frame.interpolationPoints;
        if (!count(points.heights.size()) || !count(points.shading.size()) ||
            !count(points.radialDistortion.size())) {
            std::abort();
        }
    } catch (const Exception& error) {
        if (frame.timecode != "sentinel" || std::string(error.what()).empty()) {
            std::abort();
        }
    }
    return 0;
}
