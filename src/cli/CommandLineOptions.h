#pragma once

#include "recording_format_database/RecordingFormat.h"

#include <optional>
#include <string>

enum class Command {
    Undistort,
    Distort,
    RemoveShading,
    AddShading,
    StMap,
    ShadingMap,
    Info,
    Devices,
    Help,
    Version,
};

// Where the input's overscan lies: beyond the format in the data window, or
// inside the format by a percentage.
enum class OverscanLocation { BoundingBox, Format };

// Everything the command line asks for, checked for form but not against
// the file system.
struct CommandLineOptions {
    Command command = Command::Help;
    std::string input;
    std::string output;
    // Frame list as written after --frames; none: every frame on disk.
    std::optional<std::string> frames;
    // The clip's first frame, from which frames without a timecode count;
    // none: the first frame of the sequence on disk.
    std::optional<int> firstFrame;
    std::string correctionFile;
    std::string clip;
    OverscanLocation overscanLocation = OverscanLocation::BoundingBox;
    float overscan = 0.0F;
    // A recording format entered by hand (--image-area with --clip-resolution).
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;
    // stmap --distort, shading-map --add-shading: the map of the reverse correction.
    bool reverseMap = false;
    bool floatOutput = false;
    bool quiet = false;
    bool keepGoing = false;
    // Frames whose output file exists already are left alone.
    bool skipExisting = false;
    // info: the frame record whose curves are shown; empty: the first.
    std::optional<unsigned int> infoFrame;
    // info: the description as JSON.
    bool json = false;
};
