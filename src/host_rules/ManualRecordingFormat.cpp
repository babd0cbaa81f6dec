#include "host_rules/ManualRecordingFormat.h"

#include <cmath>

double ManualRecordingFormat::imageDiameter(double imageAreaWidth, double imageAreaHeight,
                                            double clipWidth, double clipHeight) {
    double width = imageAreaWidth;
    double height = imageAreaHeight;
    const bool hasResolution = clipWidth != 0 && clipHeight != 0;
    if (width != 0 && height == 0 && hasResolution) {
        height = clipHeight / clipWidth * width;
    }
    if (height != 0 && width == 0 && hasResolution) {
        width = clipWidth / clipHeight * height;
    }
    if (width == 0 || height == 0) {
        return 0.0;
    }
    return std::round(std::sqrt(width * width + height * height) * 100.0) / 100.0;
}
