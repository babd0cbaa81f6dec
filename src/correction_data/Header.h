#pragma once

#include <cstdint>
#include <string>

namespace CorrectionData {

// Clip-level lens correction data, as read from a correction file header or
// from embedded JSON metadata. A fresh header is all empty, zero and false.
struct Header {
    struct {
        std::string manufacturer;
        std::string typeName;
        std::string serialNumber;
        std::uint16_t minFocalLength = 0;
        std::uint16_t maxFocalLength = 0;
    } lens;
    struct {
        std::string manufacturer;
        std::string model;
        float sensorWidth = 0.0F;
    } camera;
    struct {
        std::string name;
        std::string videoFileName;
        std::uint32_t durationFrames = 0;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
    } clip;
    struct {
        float fps = 0.0F;
        bool drop = false;
    } tc;
    struct {
        bool enabled = false;
        float gamma = 0.0F;
    } shadingCorrection;
    struct {
        bool enabled = false;
        float zoom = 0.0F;
    } distortionCorrection;
};

} // namespace CorrectionData
