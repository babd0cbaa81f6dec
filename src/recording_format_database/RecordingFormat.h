#pragma once

#include <cstdint>

namespace RecordingFormatDatabase {

// The sensor area (millimetres) and pixel size of one camera recording format.
struct RecordingFormat {
    float sensorWidth = 0.0F;
    float sensorHeight = 0.0F;
    std::uint32_t pixelWidth = 0;
    std::uint32_t pixelHeight = 0;
    // Half the diagonal of the sensor area, millimetres; see sensorRadiusFor.
    float sensorRadius = 0.0F;
};

// Half the diagonal of a sensor area: the halves are taken in single precision, squared,
// summed and rooted in double precision.
float sensorRadiusFor(float sensorWidth, float sensorHeight);

} // namespace RecordingFormatDatabase
