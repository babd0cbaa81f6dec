// The Python module velor_lens_correction: the core's corrections and
// correction data on NumPy arrays.
#include "core/Core.h"
#include "core/Queries.h"
#include "foundation/Exception.h"
#include "foundation/Version.h"
#include "python/ArrayCorrector.h"
#include "python/SmpteTimecode.h"

#include <boost/filesystem/exception.hpp>
#include <boost/filesystem/operations.hpp>
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <variant>

namespace py = pybind11;
using namespace py::literals;

namespace {

// The module's plain classes, in Python so that they behave as callers expect
// (equality, repr, immutability).
const char* const pythonClasses = R"(
import dataclasses as _dataclasses


class VelorError(Exception):
    """A failure of the core: `brief` is one sentence, `detail` labelled lines."""

    def __init__(self, brief, detail=""):
        super().__init__(brief)
        self.brief = brief
        self.detail = detail

    def __str__(self):
        return self.brief + ("\n" + self.detail if self.detail else "")


class NoCorrectionDataError(VelorError):
    """No correction file was found, or it has no record for the clip or frame."""


class CorrectionFileError(VelorError):
    """Correction data that cannot be read, parsed or fitted."""


class RenderError(VelorError):
    """The OpenCL device did not render."""


class ArgumentError(VelorError, ValueError):
    """An argument the module refuses."""


_frozen = _dataclasses.dataclass(frozen=True)


@_frozen
class Image:
    """A corrected frame or a map.

    pixels: a new float32 array (height, width, channels), rows top to bottom:
    the input's channels, or RGBA for maps.
    origin: the (x, y) of its first pixel relative to the format's top-left
    corner, negative where the frame grew around the format.
    record: the number of the correction record it was made with (0 for
    embedded data).
    correction_file: the absolute path of the .vlcf file it was made with, or
    "embedded".
    """

    pixels: object
    origin: tuple
    record: int
    correction_file: str


@_frozen
class Header:
    """The header of correction data, its attributes named as the keys of a
    correction file (.vlcf) header."""

    lensManufacturer: str
    lensTypeName: str
    lensSerialNumber: str
    lensMinFocalLength: int
    lensMaxFocalLength: int
    cameraManufacturer: str
    cameraModel: str
    sensorWidth: float
    clipName: str
    videoFileName: str
    clipDurationFrames: int
    clipWidth: int
    clipHeight: int
    tcFps: float
    tcDrop: bool
    enableLensShadingCorrection: bool
    shadingGamma: float
    enableLensDistortionCorrection: bool
    distortionZoom: float


@_frozen
class FrameRecord:
    """One record of correction data: its number (`frame`), the interpolation
    points (heights in millimetres, shading in percent, radial distortion) and
    its timecode."""

    frame: int
    heights: list
    shading: list
    radialDistortion: list
    timecode: str


@_frozen
class CorrectionData:
    """Correction data: the `header` and the `frames`, the FrameRecords in
    order of their numbers."""

    header: Header
    frames: list


@_frozen
class Device:
    """An OpenCL device: its platform, name, type ("GPU", "CPU",
    "accelerator", "other" or "unknown") and OpenCL version; `chosen` marks
    the one that renders."""

    platform: str
    name: str
    type: str
    version: str
    chosen: bool
)";

py::object moduleAttribute(const char* name) {
    return py::module_::import("velor_lens_correction").attr(name);
}

// An object of one of the module's Python classes, named in signatures and
// help() by `Name::name`.
template <typename Name>
struct Typed {
    py::object object;
};
struct ImageName {
    static constexpr auto name = py::detail::const_name("Image");
};
struct CorrectionDataName {
    static constexpr auto name = py::detail::const_name("CorrectionData");
};
struct DeviceListName {
    static constexpr auto name = py::detail::const_name("List[Device]");
};

} // namespace

namespace pybind11::detail {
template <typename Name>
struct type_caster<Typed<Name>> {
    PYBIND11_TYPE_CASTER(Typed<Name>, Name::name);
    bool load(handle, bool) { return false; }
    static handle cast(const Typed<Name>& typed, return_value_policy, handle) {
        return typed.object.inc_ref();
    }
};
} // namespace pybind11::detail

namespace {

[[noreturn]] void raise(const char* className, const Exception& error) {
    std::string detail = error.detailedDescription();
    const std::string brief = error.what();
    // The detailed description repeats the brief one on its first line.
    detail = detail.size() > brief.size() + 1 ? detail.substr(brief.size() + 1) : "";
    while (!detail.empty() && detail.back() == '\n') {
        detail.pop_back();
    }
    PyErr_SetObject(moduleAttribute(className).ptr(), py::make_tuple(brief, detail).ptr());
    throw py::error_already_set();
}

const char* classOf(Core::FailureKind kind) {
    switch (kind) {
    case Core::FailureKind::NoCorrectionData:
        return "NoCorrectionDataError";
    case Core::FailureKind::InvalidCorrectionData:
        return "CorrectionFileError";
    case Core::FailureKind::NotRendered:
        return "RenderError";
    default:
        return "VelorError";
    }
}

// Runs an inspection, turning its failures into the module's exceptions.
template <typename Inspect>
auto inspecting(Inspect inspect) {
    try {
        py::gil_scoped_release release;
        return inspect();
    } catch (const Exception& error) {
        const Core::FailureKind kind = Core::Core::failureKindOf(error);
        raise(kind == Core::FailureKind::NoCorrectionData ? "NoCorrectionDataError"
                                                          : "CorrectionFileError",
              error);
    } catch (const boost::filesystem::filesystem_error& error) {
        // As the core reports it for frames.
        raise("NoCorrectionDataError",
              Exception("A directory could not be searched for the correction file. Check that "
                        "the clip's directories can be read.",
                        std::string("System Error: \"") + error.what() + "\""));
    }
}

py::object header(const CorrectionData::Header& h) {
    return moduleAttribute("Header")(
        "lensManufacturer"_a = h.lens.manufacturer, "lensTypeName"_a = h.lens.typeName,
        "lensSerialNumber"_a = h.lens.serialNumber, "lensMinFocalLength"_a = h.lens.minFocalLength,
        "lensMaxFocalLength"_a = h.lens.maxFocalLength,
        "cameraManufacturer"_a = h.camera.manufacturer, "cameraModel"_a = h.camera.model,
        "sensorWidth"_a = h.camera.sensorWidth, "clipName"_a = h.clip.name,
        "videoFileName"_a = h.clip.videoFileName, "clipDurationFrames"_a = h.clip.durationFrames,
        "clipWidth"_a = h.clip.width, "clipHeight"_a = h.clip.height, "tcFps"_a = h.tc.fps,
        "tcDrop"_a = h.tc.drop, "enableLensShadingCorrection"_a = h.shadingCorrection.enabled,
        "shadingGamma"_a = h.shadingCorrection.gamma,
        "enableLensDistortionCorrection"_a = h.distortionCorrection.enabled,
        "distortionZoom"_a = h.distortionCorrection.zoom);
}

py::object frameRecord(const CorrectionData::Frame& f) {
    const auto& points = f.interpolationPoints;
    return moduleAttribute("FrameRecord")(
        "frame"_a = f.number, "heights"_a = points.heights, "shading"_a = points.shading,
        "radialDistortion"_a = points.radialDistortion, "timecode"_a = f.timecode);
}

Typed<CorrectionDataName> readCorrectionFile(const std::string& path) {
    const CorrectionData::Content content =
        inspecting([&] { return Core::Queries::readCorrectionFile(path); });
    py::list frames;
    for (const auto& entry : content.frames) {
        frames.append(frameRecord(entry.second));
    }
    return {moduleAttribute("CorrectionData")(header(content.header), frames)};
}

Typed<CorrectionDataName> parseEmbeddedMetadata(const std::string& json) {
    const auto parsed = inspecting([&] {
        std::pair<CorrectionData::Header, CorrectionData::Frame> result;
        Core::Queries::parseEmbeddedMetadata(json, result.first, result.second);
        return result;
    });
    py::list frames;
    frames.append(frameRecord(parsed.second));
    return {moduleAttribute("CorrectionData")(header(parsed.first), frames)};
}

Typed<DeviceListName> devices() {
    const auto platforms = inspecting([] { return Core::Queries::openCLPlatforms(); });
    py::list result;
    for (const auto& platform : platforms) {
        for (const auto& device : platform.devices) {
            result.append(moduleAttribute("Device")(platform.name, device.name, device.type,
                                                    device.version, device.chosen));
        }
    }
    return {result};
}

[[noreturn]] void argumentError(const std::string& brief) {
    raise("ArgumentError", Exception(brief));
}

// OpenImageIO's value of an EXR header's smpte:TimeCode: the time and flags,
// and the user bits.
using SmpteValue = std::pair<std::uint32_t, std::uint32_t>;
using TimecodeArgument = std::variant<std::string, SmpteValue>;

// A record number from a Python int of any size.
unsigned int recordNumber(const py::object& frame) {
    if (!py::isinstance<py::int_>(frame)) {
        throw py::type_error("frame must be an int, not " +
                             std::string(py::str(py::type::of(frame).attr("__name__"))) + ".");
    }
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(frame.ptr(), &overflow);
    if (overflow != 0 || number < 0 || number > std::numeric_limits<unsigned int>::max()) {
        argumentError("frame needs a record number from 0 to " +
                      std::to_string(std::numeric_limits<unsigned int>::max()) + ".");
    }
    return static_cast<unsigned int>(number);
}

// The corrector as Python holds it.
class Corrector {
public:
    Corrector(const std::optional<std::string>& clip,
              const std::optional<std::string>& correctionFile,
              const std::optional<std::pair<double, double>>& imageArea,
              const std::optional<std::pair<std::int64_t, std::int64_t>>& clipResolution,
              const std::string& overscanLocation, const std::optional<float>& overscan) {
        CorrectorSettings settings;
        if (clip && clip->empty()) {
            argumentError("clip= needs a path.");
        }
        if (correctionFile && correctionFile->empty()) {
            argumentError("correction_file= needs a path.");
        }
        // Absolute, as the tool takes them: from the working directory of now.
        if (clip) {
            settings.clipFilePath = boost::filesystem::absolute(*clip).string();
        }
        if (correctionFile) {
            settings.correctionFilePath = boost::filesystem::absolute(*correctionFile).string();
            if (!clip) {
                // The file's own clip, so that its records are used.
                const py::object data = readCorrectionFile(settings.correctionFilePath).object;
                settings.clipFilePath =
                    data.attr("header").attr("videoFileName").cast<std::string>();
            }
        }
        hasCorrectionData_ = clip || correctionFile;
        if (overscanLocation == "format") {
            settings.overscanInFormat = true;
        } else if (overscanLocation != "bbox") {
            argumentError("overscan_location takes \"bbox\" or \"format\", not \"" +
                          overscanLocation + "\".");
        }
        if (overscan) {
            if (!settings.overscanInFormat) {
                argumentError("overscan is the overscan inside the format; use it with "
                              "overscan_location=\"format\".");
            }
            if (!(*overscan >= 0.0F) || !std::isfinite(*overscan)) {
                argumentError("overscan needs a percentage of 0 or more.");
            }
            settings.overscan = *overscan;
        }
        if (imageArea.has_value() != clipResolution.has_value()) {
            argumentError("A recording format entered by hand needs both image_area and "
                          "clip_resolution.");
        }
        if (imageArea) {
            try {
                settings.recordingFormat =
                    manualRecordingFormat(imageArea->first, imageArea->second,
                                          clipResolution->first, clipResolution->second);
            } catch (const ArgumentFailure& error) {
                raise("ArgumentError", error);
            }
        }
        corrector_ = std::make_unique<ArrayCorrector>(settings);
    }

    Typed<ImageName> correct(Operation operation, bool reverseMap, const py::object& pixelsObject,
                             const py::object& frame,
                             const std::optional<TimecodeArgument>& timecode,
                             const std::pair<std::int64_t, std::int64_t>& origin,
                             const std::optional<std::pair<std::int64_t, std::int64_t>>& format,
                             const std::optional<int>& alpha,
                             const std::optional<std::string>& metadata,
                             const std::optional<std::vector<std::string>>& channels) {
        if (!py::isinstance<py::array>(pixelsObject)) {
            throw py::type_error("pixels must be a NumPy array of float32, not " +
                                 std::string(py::str(py::type::of(pixelsObject).attr("__name__"))) +
                                 ".");
        }
        const auto array = py::reinterpret_borrow<py::array>(pixelsObject);
        if (!py::isinstance<py::array_t<float>>(array)) {
            throw py::type_error("pixels must be float32, not " +
                                 std::string(py::str(array.dtype())) +
                                 "; convert them with pixels.astype(numpy.float32).");
        }
        if (array.ndim() != 3) {
            argumentError("pixels need the shape (height, width, channels), not " +
                          std::to_string(array.ndim()) + " dimensions.");
        }
        if (!metadata && !hasCorrectionData_) {
            argumentError("A corrector without clip= or correction_file= corrects only frames "
                          "that carry their correction metadata: give it with metadata=.");
        }
        const bool hasFrame = !frame.is_none();
        if (hasFrame && timecode.has_value()) {
            argumentError("Give the frame record with frame= or with timecode=, not both.");
        }
        // Embedded metadata holds the frame's one record: neither is needed.
        if (!hasFrame && !timecode.has_value() && !metadata) {
            argumentError("Give the frame record with frame= or with timecode=.");
        }
        FrameChoice choice;
        if (hasFrame) {
            choice.number = recordNumber(frame);
        } else if (timecode) {
            choice.timecode = timecodeText(*timecode);
        }
        if (metadata) {
            choice.frameMetadata = *metadata;
        }

        PixelView view;
        view.data = static_cast<const char*>(array.data());
        view.height = array.shape(0);
        view.width = array.shape(1);
        view.channels = array.shape(2);
        view.rowStride = array.strides(0);
        view.pixelStride = array.strides(1);
        view.channelStride = array.strides(2);
        PixelPlacement placement;
        placement.originX = origin.first;
        placement.originY = origin.second;
        placement.formatWidth = format ? format->first : view.width;
        placement.formatHeight = format ? format->second : view.height;
        placement.alphaChannel = alpha ? *alpha : (view.channels == 4 ? 3 : -1);
        if (channels) {
            placement.channelNames = *channels;
        }

        CorrectedImage image;
        try {
            py::gil_scoped_release release;
            image = corrector_->correct(operation, reverseMap, view, placement, choice);
        } catch (const ArgumentFailure& error) {
            raise("ArgumentError", error);
        } catch (const CorrectionFailure& error) {
            raise(classOf(error.kind()), error);
        } catch (const Exception& error) {
            raise("VelorError", error);
        }

        // The array owns the pixels that the core wrote: no copy.
        auto pixels = std::make_unique<std::vector<float>>(std::move(image.pixels));
        const py::capsule owner(pixels.get(), [](void* data) {
            std::unique_ptr<std::vector<float>>(static_cast<std::vector<float>*>(data));
        });
        std::vector<float>& owned = *pixels.release();
        const py::array_t<float> result({image.height, image.width, image.channels}, owned.data(),
                                        owner);
        return {moduleAttribute("Image")(result, py::make_tuple(image.originX, image.originY),
                                         image.correction.record, image.correction.correctionFile)};
    }

private:
    // The text "HH:MM:SS:FF", or OpenImageIO's SMPTE value of an EXR header.
    static std::string timecodeText(const TimecodeArgument& timecode) {
        if (const auto* text = std::get_if<std::string>(&timecode)) {
            return *text;
        }
        try {
            return smpteTimecodeText(std::get<SmpteValue>(timecode).first);
        } catch (const ArgumentFailure& error) {
            raise("ArgumentError", error);
        }
    }

    std::unique_ptr<ArrayCorrector> corrector_;
    bool hasCorrectionData_ = false;
};

// What every correcting method takes, for its docstring.
const char* const callArguments = R"(

pixels: float32 array (height, width, channels), rows top to bottom as
  OpenImageIO gives them; any memory layout.
frame: the record with this number (or the last before it), as
  `velor-lens-correct info --record N` counts records: frames counted from the
  clip's first frame, not the number in a file name; or
timecode: the record this timecode leads to, as for the tool's frames:
  "HH:MM:SS:FF", or an EXR header's SMPTE value as OpenImageIO gives it
  (header.getattribute("smpte:TimeCode")). Give exactly one of frame and
  timecode, or neither with metadata.
origin: (x, y) of the first pixel relative to the format's top-left corner;
  pixels beyond the format are overscan, as an EXR's data window.
format: (width, height) of the format; default the array's size.
alpha: the alpha channel's index, -1 for none; default channel 3 of four.
metadata: the JSON correction metadata the frame carries (an EXR header's
  "com.velor.LensCorrection", as OpenImageIO gives it; None for none). It
  comes before the corrector's correction file, as in the tool.
channels: one name per channel, as EXR names them (["R", "G", "B", "A",
  "depth.Z"]). Shading multiplies only colour channels (R, G, B, Y of any
  layer) and copies the others; without names 1, 3 and 4 channels are Y, RGB
  and RGBA, and shading refuses other counts. Distortion warps every channel.

Returns an Image whose pixels grew around the format exactly as the tool's
data window grows, with the record and correction file it was made with.)";

} // namespace

PYBIND11_MODULE(velor_lens_correction, module) {
    module.doc() = "Lens distortion and shading correction of NumPy images, with the "
                   "correction data the core reads: the command-line tool's corrections, "
                   "equal to its results bit for bit.";
    module.attr("__version__") = Version::text();
    py::dict scope;
    scope["__name__"] = "velor_lens_correction";
    py::exec(pythonClasses, scope);
    for (const char* name :
         {"VelorError", "NoCorrectionDataError", "CorrectionFileError", "RenderError",
          "ArgumentError", "Image", "Header", "FrameRecord", "CorrectionData", "Device"}) {
        module.attr(name) = scope[name];
    }

    module.def("read_correction_file", &readCorrectionFile, "path"_a,
               "The header and frame records of a correction file (.vlcf).\n\n"
               "Raises CorrectionFileError when it cannot be read or parsed.");
    module.def(
        "find_correction_file",
        [](const std::string& clip) {
            return inspecting([&] { return Core::Queries::findCorrectionFile(clip); });
        },
        "clip_path"_a,
        "The path of the correction file that the tool's and the node's search around a "
        "clip finds.\n\nRaises NoCorrectionDataError when there is none.");
    module.def("parse_embedded_metadata", &parseEmbeddedMetadata, "json"_a,
               "Correction data with one record from JSON correction metadata as EXR frames "
               "embed it (the header attribute com.velor.LensCorrection).\n\n"
               "Raises CorrectionFileError when the JSON cannot be parsed.");
    module.def("devices", &devices, "The OpenCL devices; `chosen` marks the one that renders.");

    auto corrector =
        py::class_<Corrector>(
            module, "Corrector",
            "Corrects NumPy images as the command-line tool corrects frames.\n\n"
            "Corrector(*, clip=None, correction_file=None, image_area=None, "
            "clip_resolution=None, overscan_location=\"bbox\", overscan=None), as the tool's "
            "options:\n\n"
            "clip: the camera clip whose correction file is searched for (--clip); relative "
            "paths are taken from the working directory when the corrector is made.\n"
            "correction_file: use a correction file (--correction-file); without clip, its "
            "own clip.\n"
            "image_area, clip_resolution: a recording format by hand, (width, height) in "
            "millimetres and in pixels; both or neither.\n"
            "overscan_location: \"bbox\" (overscan is the data window beyond the format) or "
            "\"format\" (it lies inside the format); overscan: its percentage there.\n\n"
            "Without clip and correction_file, it corrects only frames given with their "
            "embedded correction metadata (metadata=). Each corrector handles one call at a "
            "time; the GIL is released while it corrects.")
            .def(py::init<const std::optional<std::string>&, const std::optional<std::string>&,
                          const std::optional<std::pair<double, double>>&,
                          const std::optional<std::pair<std::int64_t, std::int64_t>>&,
                          const std::string&, const std::optional<float>&>(),
                 py::kw_only(), "clip"_a = py::none(), "correction_file"_a = py::none(),
                 "image_area"_a = py::none(), "clip_resolution"_a = py::none(),
                 "overscan_location"_a = "bbox", "overscan"_a = py::none());
    using Size = std::pair<std::int64_t, std::int64_t>;
    for (const auto& entry : {std::make_tuple("undistort", Operation::Undistort,
                                              "The frame with the lens distortion removed."),
                              std::make_tuple("distort", Operation::Distort,
                                              "The frame with the lens distortion applied."),
                              std::make_tuple("remove_shading", Operation::RemoveShading,
                                              "The frame with the lens shading divided out "
                                              "of its colour channels; alpha and data "
                                              "channels stay as they are."),
                              std::make_tuple("add_shading", Operation::AddShading,
                                              "The frame with the lens shading multiplied "
                                              "into its colour channels; alpha and data "
                                              "channels stay as they are.")}) {
        const Operation operation = std::get<1>(entry);
        const std::string doc = std::string(std::get<2>(entry)) + callArguments;
        corrector.def(
            std::get<0>(entry),
            [operation](Corrector& self, const py::object& pixels, const py::object& frame,
                        const std::optional<TimecodeArgument>& timecode, const Size& origin,
                        const std::optional<Size>& format, const std::optional<int>& alpha,
                        const std::optional<std::string>& metadata,
                        const std::optional<std::vector<std::string>>& channels) {
                return self.correct(operation, false, pixels, frame, timecode, origin, format,
                                    alpha, metadata, channels);
            },
            doc.c_str(), "pixels"_a, py::kw_only(), "frame"_a = py::none(),
            "timecode"_a = py::none(), "origin"_a = Size(0, 0), "format"_a = py::none(),
            "alpha"_a = py::none(), "metadata"_a = py::none(), "channels"_a = py::none());
    }
    for (const auto& entry :
         {std::make_tuple("stmap", Operation::StMap, "distort",
                          "The ST map of the undistortion; with distort=True, of the "
                          "distortion (RGBA, in the convention of Nuke's STMap node)."),
          std::make_tuple("shading_map", Operation::ShadingMap, "add_shading",
                          "The map that removes the shading; with add_shading=True, the one "
                          "that adds it (RGBA multiply factors).")}) {
        const Operation operation = std::get<1>(entry);
        const std::string doc = std::string(std::get<3>(entry)) + callArguments;
        corrector.def(
            std::get<0>(entry),
            [operation](Corrector& self, const py::object& pixels, const py::object& frame,
                        const std::optional<TimecodeArgument>& timecode, const Size& origin,
                        const std::optional<Size>& format, const std::optional<int>& alpha,
                        bool reverse, const std::optional<std::string>& metadata,
                        const std::optional<std::vector<std::string>>& channels) {
                return self.correct(operation, reverse, pixels, frame, timecode, origin, format,
                                    alpha, metadata, channels);
            },
            doc.c_str(), "pixels"_a, py::kw_only(), "frame"_a = py::none(),
            "timecode"_a = py::none(), "origin"_a = Size(0, 0), "format"_a = py::none(),
            "alpha"_a = py::none(), py::arg(std::get<2>(entry)) = false, "metadata"_a = py::none(),
            "channels"_a = py::none());
    }
}
