#pragma once

// The recording format a user enters by hand: image area (millimetres) and
// clip resolution (pixels).
namespace ManualRecordingFormat {

// The largest entries a host's controls take: every format of the recording
// format table fits, with room for sensors of up to 70 mm and clips of up to
// 16384 px a side.
constexpr double largestImageAreaSide = 70.0;
constexpr int largestClipSide = 16384;
// The diagonal of the largest image area.
constexpr double largestImageDiameter = 98.99494936611666;

// The image diameter in millimetres, rounded to hundredths (halves away from
// zero): a missing image area side follows from the clip's aspect ratio and
// serves the diameter only. 0 when the entries do not determine it.
double imageDiameter(double imageAreaWidth, double imageAreaHeight, double clipWidth,
                     double clipHeight);

} // namespace ManualRecordingFormat
