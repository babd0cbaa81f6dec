// The Python module velor_lens_correction: the core's corrections and
// correction data on NumPy arrays.
#include "core/Core.h"
#include "core/Queries.h"
#include "foundation/Exception.h"
#include "python/ArrayCorrector.h"

#include <boost/filesystem/exception.hpp>
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
    pixels: object
    origin: tuple


@_frozen
class Header:
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
    frame: int
    heights: list
    shading: list
    radialDistortion: list
    timecode: str


@_frozen
class CorrectionData:
    header: Header
    frames: list


@_frozen
class Device:
    platform: str
    name: str
    type: str
    version: str
    chosen: bool
)";

py::object moduleAttribute(const char* name) {
    return py::module_::import("velor_lens_correction").attr(name);
}

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

py::object readCorrectionFile(const std::string& path) {
    const CorrectionData::Content content =
        inspecting([&] { return Core::Queries::readCorrectionFile(path); });
    py::list frames;
    for (const auto& entry : content.frames) {
        frames.append(frameRecord(entry.second));
    }
    return moduleAttribute("CorrectionData")(header(content.header), frames);
}

py::object parseEmbeddedMetadata(const std::string& json) {
    const auto parsed = inspecting([&] {
        std::pair<CorrectionData::Header, CorrectionData::Frame> result;
        Core::Queries::parseEmbeddedMetadata(json, result.first, result.second);
        return result;
    });
    py::list frames;
    frames.append(frameRecord(parsed.second));
    return moduleAttribute("CorrectionData")(header(parsed.first), frames);
}

py::list devices() {
    const auto platforms = inspecting([] { return Core::Queries::openCLPlatforms(); });
    py::list result;
    for (const auto& platform : platforms) {
        for (const auto& device : platform.devices) {
            result.append(moduleAttribute("Device")(platform.name, device.name, device.type,
                                                    device.version, device.chosen));
        }
    }
    return result;
}

[[noreturn]] void argumentError(const std::string& brief) {
    raise("ArgumentError", Exception(brief));
}

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
        if (!clip && !correctionFile) {
            argumentError("A corrector needs clip=, correction_file= or both.");
        }
        if (clip) {
            settings.clipFilePath = *clip;
        }
        if (correctionFile) {
            settings.correctionFilePath = *correctionFile;
            if (!clip) {
                // The file's own clip, so that its records are used.
                const py::object data = readCorrectionFile(*correctionFile);
                settings.clipFilePath =
                    data.attr("header").attr("videoFileName").cast<std::string>();
            }
        }
        if (clip && clip->empty()) {
            argumentError("clip= needs a path.");
        }
        if (correctionFile && correctionFile->empty()) {
            argumentError("correction_file= needs a path.");
        }
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

    py::object correct(Operation operation, bool reverseMap, const py::object& pixelsObject,
                       const py::object& frame, const std::optional<std::string>& timecode,
                       const std::pair<std::int64_t, std::int64_t>& origin,
                       const std::optional<std::pair<std::int64_t, std::int64_t>>& format,
                       const std::optional<int>& alpha) {
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
        if (frame.is_none() && !timecode.has_value()) {
            argumentError("Give the frame record with frame= or with timecode=.");
        }
        if (!frame.is_none() && timecode.has_value()) {
            argumentError("Give the frame record with frame= or with timecode=, not both.");
        }
        FrameChoice choice;
        if (!frame.is_none()) {
            choice.number = recordNumber(frame);
        } else {
            choice.timecode = *timecode;
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
        return moduleAttribute("Image")(result, py::make_tuple(image.originX, image.originY));
    }

private:
    std::unique_ptr<ArrayCorrector> corrector_;
};

} // namespace

PYBIND11_MODULE(velor_lens_correction, module) {
    module.doc() = "Lens distortion and shading correction of NumPy images, with the "
                   "correction data the core reads.";
    py::dict scope;
    scope["__name__"] = "velor_lens_correction";
    py::exec(pythonClasses, scope);
    for (const char* name :
         {"VelorError", "NoCorrectionDataError", "CorrectionFileError", "RenderError",
          "ArgumentError", "Image", "Header", "FrameRecord", "CorrectionData", "Device"}) {
        module.attr(name) = scope[name];
    }

    module.def("read_correction_file", &readCorrectionFile, "path"_a,
               "The header and frame records of a correction file.");
    module.def(
        "find_correction_file",
        [](const std::string& clip) {
            return inspecting([&] { return Core::Queries::findCorrectionFile(clip); });
        },
        "clip_path"_a, "The correction file that the search around a clip finds.");
    module.def("parse_embedded_metadata", &parseEmbeddedMetadata, "json"_a,
               "Correction metadata embedded as JSON in an EXR header.");
    module.def("devices", &devices, "The OpenCL devices; `chosen` marks the one that renders.");

    auto corrector =
        py::class_<Corrector>(module, "Corrector")
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
                                              "The frame with the lens shading divided out."),
                              std::make_tuple("add_shading", Operation::AddShading,
                                              "The frame with the lens shading multiplied in.")}) {
        const Operation operation = std::get<1>(entry);
        corrector.def(
            std::get<0>(entry),
            [operation](Corrector& self, const py::object& pixels, const py::object& frame,
                        const std::optional<std::string>& timecode, const Size& origin,
                        const std::optional<Size>& format, const std::optional<int>& alpha) {
                return self.correct(operation, false, pixels, frame, timecode, origin, format,
                                    alpha);
            },
            std::get<2>(entry), "pixels"_a, py::kw_only(), "frame"_a = py::none(),
            "timecode"_a = py::none(), "origin"_a = Size(0, 0), "format"_a = py::none(),
            "alpha"_a = py::none());
    }
    for (const auto& entry :
         {std::make_tuple("stmap", Operation::StMap, "distort",
                          "The ST map of the undistortion; with distort=True, of the distortion."),
          std::make_tuple("shading_map", Operation::ShadingMap, "add_shading",
                          "The map that removes the shading; with add_shading=True, the one "
                          "that adds it.")}) {
        const Operation operation = std::get<1>(entry);
        corrector.def(
            std::get<0>(entry),
            [operation](Corrector& self, const py::object& pixels, const py::object& frame,
                        const std::optional<std::string>& timecode, const Size& origin,
                        const std::optional<Size>& format, const std::optional<int>& alpha,
                        bool reverse) {
                return self.correct(operation, reverse, pixels, frame, timecode, origin, format,
                                    alpha);
            },
            std::get<3>(entry), "pixels"_a, py::kw_only(), "frame"_a = py::none(),
            "timecode"_a = py::none(), "origin"_a = Size(0, 0), "format"_a = py::none(),
            "alpha"_a = py::none(), py::arg(std::get<2>(entry)) = false);
    }
}
