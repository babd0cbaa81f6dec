#include "cli/CommandLineParser.h"
#include "host_rules/ManualRecordingFormat.h"

#include "cli/UsageException.h"

#include <OpenImageIO/argparse.h>
#include <OpenImageIO/strutil.h>

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using OIIO::cspan;

struct CommandName {
    const char* name;
    Command command;
};

const std::array<CommandName, 12> commandNames{{
    {"undistort", Command::Undistort},
    {"distort", Command::Distort},
    {"remove-shading", Command::RemoveShading},
    {"add-shading", Command::AddShading},
    {"stmap", Command::StMap},
    {"shading-map", Command::ShadingMap},
    {"info", Command::Info},
    {"devices", Command::Devices},
    {"help", Command::Help},
    {"--help", Command::Help},
    {"-h", Command::Help},
    {"--version", Command::Version},
}};

Command commandNamed(const std::string& name) {
    for (const CommandName& entry : commandNames) {
        if (name == entry.name) {
            return entry.command;
        }
    }
    throw UsageException("Unknown command \"" + name +
                         "\". Run velor-lens-correct help for the "
                         "list of commands.");
}

float parsedFloat(const std::string& text, const char* option) {
    if (!OIIO::Strutil::string_is<float>(text)) {
        throw UsageException(std::string(option) + " needs a number, not \"" + text + "\".");
    }
    const float value = OIIO::Strutil::from_string<float>(text);
    if (!std::isfinite(value) || value < 0.0F) {
        throw UsageException(std::string(option) + " needs a number of 0 or more, not \"" + text +
                             "\".");
    }
    return value;
}

unsigned int parsedCount(const std::string& text, const char* option) {
    if (!OIIO::Strutil::string_is<int>(text) || OIIO::Strutil::from_string<int>(text) < 0) {
        throw UsageException(std::string(option) + " needs a whole number of 0 or more, not \"" +
                             text + "\".");
    }
    return static_cast<unsigned int>(OIIO::Strutil::from_string<int>(text));
}

// "WxH" into its two parts.
std::pair<std::string, std::string> splitSize(const std::string& text, const char* option) {
    const auto parts = OIIO::Strutil::splits(text, "x");
    if (parts.size() != 2) {
        throw UsageException(std::string(option) + " needs a size written WxH, not \"" + text +
                             "\".");
    }
    return {parts[0], parts[1]};
}

// The format as the node's manual selection makes it: a missing image area
// height or width follows from the clip's aspect ratio, and the radius is
// half the diameter rounded to hundredths of a millimetre.
RecordingFormatDatabase::RecordingFormat manualRecordingFormat(const std::string& imageArea,
                                                               const std::string& resolution) {
    const auto area = splitSize(imageArea, "--image-area");
    const auto pixels = splitSize(resolution, "--clip-resolution");
    RecordingFormatDatabase::RecordingFormat format;
    format.sensorWidth = parsedFloat(area.first, "--image-area");
    format.sensorHeight = parsedFloat(area.second, "--image-area");
    format.pixelWidth = parsedCount(pixels.first, "--clip-resolution");
    format.pixelHeight = parsedCount(pixels.second, "--clip-resolution");
    if (format.pixelWidth == 0 || format.pixelHeight == 0) {
        throw UsageException("--clip-resolution needs a width and height above 0.");
    }
    const double diameter = ManualRecordingFormat::imageDiameter(
        format.sensorWidth, format.sensorHeight, format.pixelWidth, format.pixelHeight);
    if (diameter == 0.0) {
        throw UsageException("--image-area needs a width or a height above 0 millimetres.");
    }
    format.sensorRadius = static_cast<float>(diameter / 2.0);
    return format;
}

} // namespace

CommandLineOptions CommandLineParser::parse(int argc, const char* const* argv) {
    CommandLineOptions options;
    if (argc < 2) {
        throw UsageException("No command given. Run velor-lens-correct help for the list of "
                             "commands.");
    }
    options.command = commandNamed(argv[1]);
    // Help and the release are answered whatever else the command line holds.
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            options.command = Command::Help;
        } else if (argument == "--version" && options.command != Command::Help) {
            options.command = Command::Version;
        }
    }
    if (options.command == Command::Help || options.command == Command::Version) {
        return options;
    }

    std::vector<std::string> positional;
    std::string overscanLocation;
    std::string overscan;
    std::string imageArea;
    std::string clipResolution;
    std::string infoFrame;
    std::string firstFrame;
    std::string infoRecord;
    bool distortMap = false;
    bool addShadingMap = false;
    const auto store = [](std::string& target) {
        return [&target](cspan<const char*> args) { target = args[1]; };
    };
    const auto set = [](bool& target) { return [&target](cspan<const char*>) { target = true; }; };

    OIIO::ArgParse parser;
    parser.add_help(false).exit_on_error(false);
    parser.arg("filename").hidden().action([&](cspan<const char*> args) {
        positional.emplace_back(args[0]);
    });
    bool framesGivenTwice = false;
    parser.arg("--frames LIST").action([&options, &framesGivenTwice](cspan<const char*> args) {
        framesGivenTwice = framesGivenTwice || options.frames.has_value();
        options.frames = args[1];
    });
    parser.arg("--first-frame NUMBER").action(store(firstFrame));
    parser.arg("--correction-file PATH").action(store(options.correctionFile));
    parser.arg("--clip PATH").action(store(options.clip));
    parser.arg("--overscan-location WHERE").action(store(overscanLocation));
    parser.arg("--overscan PERCENT").action(store(overscan));
    parser.arg("--image-area WxH").action(store(imageArea));
    parser.arg("--clip-resolution WxH").action(store(clipResolution));
    parser.arg("--distort").action(set(distortMap));
    parser.arg("--add-shading").action(set(addShadingMap));
    parser.arg("--float").action(set(options.floatOutput));
    parser.arg("--quiet").action(set(options.quiet));
    parser.arg("--keep-going").action(set(options.keepGoing));
    parser.arg("--skip-existing").action(set(options.skipExisting));
    parser.arg("--record NUMBER").action(store(infoRecord));
    parser.arg("--frame NUMBER").action(store(infoFrame));
    parser.arg("--json").action(set(options.json));

    std::vector<const char*> arguments(argv + 1, argv + argc);
    if (parser.parse_args(static_cast<int>(arguments.size()), arguments.data()) < 0 ||
        parser.has_error()) {
        throw UsageException(parser.geterror() + ". Run velor-lens-correct help for the options.");
    }

    if (framesGivenTwice) {
        throw UsageException("--frames is given more than once; give one list, for example "
                             "1001,1005-1010.");
    }

    const std::string command = argv[1];
    if (distortMap && options.command != Command::StMap) {
        throw UsageException("--distort belongs to stmap; " + command + " does not take it.");
    }
    if (addShadingMap && options.command != Command::ShadingMap) {
        throw UsageException("--add-shading belongs to shading-map; " + command +
                             " does not take it.");
    }
    options.reverseMap = distortMap || addShadingMap;

    if (!firstFrame.empty()) {
        if (options.command == Command::Devices || options.command == Command::Info) {
            throw UsageException("--first-frame belongs to the commands that correct frames; " +
                                 command + " does not take it.");
        }
        options.firstFrame = static_cast<int>(parsedCount(firstFrame, "--first-frame"));
    }
    if (options.command == Command::Devices) {
        if (!positional.empty()) {
            throw UsageException("devices takes no file.");
        }
        return options;
    }
    if (options.command == Command::Info) {
        if (positional.size() != 1) {
            throw UsageException("info needs one file: a .vlcf file, an image or a camera clip.");
        }
        options.input = positional[0];
        if (!infoRecord.empty() && !infoFrame.empty()) {
            throw UsageException("--frame is the old name of --record; give the record once.");
        }
        if (!infoRecord.empty()) {
            options.infoFrame = parsedCount(infoRecord, "--record");
        }
        if (!infoFrame.empty()) {
            options.infoFrame = parsedCount(infoFrame, "--frame");
        }
        return options;
    }
    if (!infoRecord.empty()) {
        throw UsageException("--record belongs to info; " + command + " takes --frames.");
    }
    if (!infoFrame.empty()) {
        throw UsageException("--frame belongs to info; " + command + " takes --frames.");
    }
    if (options.json) {
        throw UsageException("--json belongs to info; " + command + " does not take it.");
    }
    if (positional.size() != 2) {
        throw UsageException(command + " needs an INPUT and an OUTPUT, for example " + command +
                             " plate.####.exr out.####.exr.");
    }
    options.input = positional[0];
    options.output = positional[1];

    if (!overscanLocation.empty()) {
        if (overscanLocation == "bbox") {
            options.overscanLocation = OverscanLocation::BoundingBox;
        } else if (overscanLocation == "format") {
            options.overscanLocation = OverscanLocation::Format;
        } else {
            throw UsageException("--overscan-location takes bbox or format, not \"" +
                                 overscanLocation + "\".");
        }
    }
    if (!overscan.empty()) {
        if (options.overscanLocation != OverscanLocation::Format) {
            throw UsageException("--overscan is the overscan inside the format; use it with "
                                 "--overscan-location format.");
        }
        options.overscan = parsedFloat(overscan, "--overscan");
    }
    if (imageArea.empty() != clipResolution.empty()) {
        throw UsageException("A recording format entered by hand needs both --image-area and "
                             "--clip-resolution.");
    }
    if (!imageArea.empty()) {
        options.recordingFormat = manualRecordingFormat(imageArea, clipResolution);
    }
    return options;
}

std::string CommandLineParser::nameOf(Command command) {
    for (const CommandName& entry : commandNames) {
        if (entry.command == command) {
            return entry.name;
        }
    }
    return "";
}

std::string CommandLineParser::usage() {
    return R"(velor-lens-correct: corrects lens distortion and shading of images and sequences

Usage:
  velor-lens-correct undistort      INPUT OUTPUT [options]
  velor-lens-correct distort        INPUT OUTPUT [options]
  velor-lens-correct remove-shading INPUT OUTPUT [options]
  velor-lens-correct add-shading    INPUT OUTPUT [options]
  velor-lens-correct stmap          INPUT OUTPUT [options] [--distort]
  velor-lens-correct shading-map    INPUT OUTPUT [options] [--add-shading]
  velor-lens-correct info           FILE.vlcf | IMAGE | CLIP [--record NUMBER] [--json]
  velor-lens-correct devices
  velor-lens-correct help | -h | --help | COMMAND --help
  velor-lens-correct --version

INPUT and OUTPUT are one image each, or sequences written plate.####.exr or
plate.%04d.exr (one # per digit).

Options:
  --frames LIST              frames to process: FRAME, FIRST-LAST or FIRST-LASTxSTEP
                             joined by commas, e.g. 1001-1100 or 1001,1010-1020x2
                             (default: every frame of INPUT on disk)
  --first-frame NUMBER       the clip's first frame, from which frames without a
                             timecode count their record (default: the first
                             frame of INPUT on disk); give it to every chunk of
                             a farm job
  --correction-file PATH     use this .vlcf file instead of searching for one
  --clip PATH                the camera clip whose correction file is searched
                             for (default: from the frame's metadata, or the
                             sequence's base name)
  --overscan-location WHERE  bbox: overscan is the data window beyond the
                             format (default); format: it lies inside the format
  --overscan PERCENT         overscan inside the format (with --overscan-location format)
  --image-area WxH           recording format by hand: image area in mm ...
  --clip-resolution WxH      ... and clip resolution in pixels
  --distort                  stmap: the map of the distortion, not the undistortion
  --add-shading              shading-map: the map that adds the shading
  --float                    write 32-bit float pixels (default: the input's type)
  --keep-going               go on after a failed frame
  --skip-existing            leave frames whose output file exists alone
  --quiet                    no progress and no summary line
  --record NUMBER            info: the correction record (by its number in the
                             correction data) whose curves are shown; --frame
                             NUMBER is its old name
  --json                     info: the description as JSON (docs/cli.md)
  -h, --help                 this text
  --version                  the tool's release

Exit status: 0 every frame written, 1 a frame or the command failed, 2 bad usage.
)";
}
