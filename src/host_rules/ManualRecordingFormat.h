#pragma once

// The recording format a user enters by hand: image area (millimetres) and
// clip resolution (pixels).
namespace ManualRecordingFormat {

// The image diameter in millimetres, rounded to hundredths (halves away from
// zero): a missing image area side follows from the clip's aspect ratio and
// serves the diameter only. 0 when the entries do not determine it.
double imageDiameter(double imageAreaWidth, double imageAreaHeight, double clipWidth,
                     double clipHeight);

} // namespace ManualRecordingFormat
