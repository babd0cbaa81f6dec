#include "recording_format_database/RecordingFormat.h"

#include <cmath>

namespace RecordingFormatDatabase {

float sensorRadiusFor(float sensorWidth, float sensorHeight) {
    const double halfWidth = sensorWidth / 2.0F;
    const double halfHeight = sensorHeight / 2.0F;
    return static_cast<float>(std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight));
}

} // namespace RecordingFormatDatabase
