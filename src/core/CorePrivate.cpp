#include "core/CorePrivate.h"

#include "correction_data/Calculations.h"
#include "correction_data/CoefficentCalculationFailedException.h"
#include "correction_data/ContainerManager.h"
#include "correction_file/CorrectionFileBasedContainerManagerDataSource.h"
#include "correction_file/LevelOfDepth.h"
#include "foundation/Exception.h"
#include "foundation/Timecode.h"
#include "renderer/DistortionFrameSize.h"
#include "renderer/DistortionRenderer.h"
#include "renderer/ShadingRenderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace Core {

namespace {

// Process-wide state shared by every core: the one source of parsed
// correction files, and the two renderers behind one lock.
std::shared_ptr<CorrectionData::ManagedContainerDataSource> managedContainerDataSource;
std::once_flag onceFlag;

struct SharedRenderers {
    std::mutex access;
    std::unique_ptr<Renderer::ShadingRenderer> shading;
    std::unique_ptr<Renderer::DistortionRenderer> distortion;
};

// Made on first use and never destroyed: the renderers' OpenCL objects are
// left to the operating system at exit, since a release from a static
// destructor may run after the vendor's driver has been unloaded.
SharedRenderers& sharedRenderers() {
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
    static SharedRenderers* const renderers = new SharedRenderers();
    return *renderers;
}

constexpr unsigned int contentCacheCapacity = 100;
constexpr std::size_t textBufferSize = 4096;

const std::shared_ptr<CorrectionData::ManagedContainerDataSource>& sharedContentSource() {
    std::call_once(onceFlag, [] {
        managedContainerDataSource = std::make_shared<CorrectionData::ContainerManager>(
            std::make_unique<CorrectionData::CorrectionFileBasedContainerManagerDataSource>(
                CorrectionFile::clipSearchDepth),
            contentCacheCapacity);
    });
    return managedContainerDataSource;
}

// Asks one text of the data source; an empty text counts as not delivered.
template <typename Query>
bool deliveredText(Query query, std::string& text) {
    std::array<char, textBufferSize> buffer{};
    const bool delivered = query(buffer.data(), buffer.size());
    buffer.back() = '\0';
    text = buffer.data();
    return delivered && !text.empty();
}

std::string quotedLine(const char* label, const std::string& value) {
    return std::string(label) + "\"" + value + "\"";
}

bool isUsable(const RecordingFormatDatabase::RecordingFormat& format) {
    return format.pixelWidth != 0 && format.pixelHeight != 0 && format.sensorRadius > 0.0F &&
           std::isfinite(format.sensorRadius);
}

[[noreturn]] void throwInvalidRecordingFormat(const RecordingFormatDatabase::RecordingFormat& f) {
    std::ostringstream detail;
    detail << "Image Area Size: " << f.sensorWidth << "x" << f.sensorHeight << " mm\n"
           << "Clip Resolution: " << f.pixelWidth << "x" << f.pixelHeight << " px\n"
           << "Image Radius: " << f.sensorRadius << " mm";
    throw Exception("There is no valid data available for the recording format.", detail.str());
}

// Rates that can take part in arithmetic: finite and not negative.
void checkFrameRate(float rate, const char* what) {
    if (!std::isfinite(rate) || rate < 0.0F) {
        std::ostringstream detail;
        detail << what << ": \"" << rate << "\"";
        throw Exception("The frame rate is not valid. Check the clip's frame rate and its "
                        "correction data.",
                        detail.str());
    }
}

// The frame number at the correction data's rate.
unsigned int rescaledFrameNumber(const FrameData& frameData, float dataRate) {
    const unsigned int number = frameData.frameNumber;
    if (frameData.frameRate == 0.0F || frameData.frameRate == dataRate) {
        return number;
    }
    checkFrameRate(dataRate, "Correction Data Frame Rate");
    const float rescaled = dataRate / frameData.frameRate * static_cast<float>(number);
    if (!(rescaled >= 0.0F && rescaled < 4294967296.0F)) {
        std::ostringstream detail;
        detail << "Frame Number: " << number << "\nFrame Rate: \"" << frameData.frameRate
               << "\"\nCorrection Data Frame Rate: \"" << dataRate << "\"";
        throw Exception("The frame number cannot be converted to the frame rate of the "
                        "correction data.",
                        detail.str());
    }
    return static_cast<unsigned int>(rescaled);
}

void checkAspectRatio(const FrameData& frameData,
                      const RecordingFormatDatabase::RecordingFormat& format) {
    const float formatAspect =
        static_cast<float>(format.pixelWidth) / static_cast<float>(format.pixelHeight);
    const float expected = std::ceil(static_cast<float>(frameData.width) / formatAspect);
    const std::int64_t expectedHeight =
        expected < 4294967296.0F ? static_cast<std::int64_t>(expected) : -1;
    const std::int64_t difference = expectedHeight - static_cast<std::int64_t>(frameData.height);
    if (expectedHeight >= 0 && difference >= -1 && difference <= 1) {
        return;
    }
    std::ostringstream brief;
    brief << "Aspect ratio of the current frame is not as expected. Recommended resolution is "
          << frameData.width << "x" << expectedHeight << " px.";
    std::ostringstream detail;
    detail << "Current Frame Resolution: " << frameData.width << "x" << frameData.height
           << " px\nRecording Format Resolution: " << format.pixelWidth << "x" << format.pixelHeight
           << " px";
    throw Exception(brief.str(), detail.str());
}

// Seven coefficients for the renderers: a fit of six gets a zero seventh.
std::array<float, 7> fitted(const std::vector<float>& x, const std::vector<float>& y) {
    std::vector<float> coefficients;
    CorrectionData::Calculations::calculateCoefficients(x, y, coefficients);
    if (coefficients.size() != 6 && coefficients.size() != 7) {
        std::ostringstream detail;
        detail << "Coefficient Count: " << coefficients.size();
        throw Exception("The interpolation points of the frame do not give a polynomial of "
                        "degree five or six. Check the correction data of the frame.",
                        detail.str());
    }
    std::array<float, 7> result{};
    std::copy(coefficients.begin(), coefficients.end(), result.begin());
    return result;
}

float evaluate(const std::array<float, 7>& coefficients, float x) {
    float sum = 0.0F;
    float power = 1.0F;
    for (const float coefficient : coefficients) {
        sum += coefficient * power;
        power *= x;
    }
    return sum;
}

struct DistortionFits {
    std::array<float, 7> forward{};
    std::array<float, 7> inverse{};
};

// Forward: distorted height over true height; inverse: the other way round.
DistortionFits distortionFits(const CorrectionData::Frame& frame) {
    const auto& points = frame.interpolationPoints;
    const std::vector<float> distortedHeights =
        CorrectionData::Calculations::distortedHeights(points.heights, points.radialDistortion);
    return {fitted(points.heights, distortedHeights), fitted(distortedHeights, points.heights)};
}

void createRenderersIfNeeded(SharedRenderers& renderers) {
    if (!renderers.shading) {
        renderers.shading = std::make_unique<Renderer::ShadingRenderer>();
    }
    if (!renderers.distortion) {
        renderers.distortion = std::make_unique<Renderer::DistortionRenderer>();
    }
}

Renderer::DistortionFrameSize distortionFrameSize(const RendererRequest& request) {
    Renderer::DistortionFrameSize size;
    size.currentWidth = request.currentWidth;
    size.currentHeight = request.currentHeight;
    size.originalWidth = request.originalWidth;
    size.originalHeight = request.originalHeight;
    size.imageRadius = request.distortionImageRadius;
    size.frameSizeImageRadius = request.frameSizeImageRadius;
    size.frameSizeCoefficients = request.frameSizeCoefficients;
    return size;
}

} // namespace

Core::CorePrivate::CorePrivate(std::unique_ptr<CoreDataSource> dataSource_)
    : dataSource(std::move(dataSource_)) {}

ExtendedManagedContainer& Core::CorePrivate::extendedManagedContainer() {
    ClipBinding binding;
    const CoreDataSource& source = *dataSource;
    const bool hasCorrectionFilePath =
        deliveredText([&](char* b, size_t s) { return source.correctionFilePath(b, s); },
                      binding.correctionFilePath);
    const bool hasClipFileName = deliveredText(
        [&](char* b, size_t s) { return source.clipFileName(b, s); }, binding.clipFileName);
    binding.hasFrameMetadata = deliveredText(
        [&](char* b, size_t s) { return source.frameMetadata(b, s); }, binding.frameMetadata);
    const bool hasClipFilePath = deliveredText(
        [&](char* b, size_t s) { return source.clipFilePath(b, s); }, binding.clipFilePath);
    binding.explicitFile = hasCorrectionFilePath && hasClipFileName;

    if (!binding.explicitFile && !binding.hasFrameMetadata && !hasClipFilePath) {
        std::string detail;
        if (hasCorrectionFilePath) {
            detail = quotedLine("Correction File Path: ", binding.correctionFilePath);
        } else if (hasClipFileName) {
            detail = quotedLine("Clip File Name: ", binding.clipFileName);
        }
        throw Exception("There is some clip and correction file related data missing.", detail);
    }
    if (container && container->isBoundTo(binding)) {
        return *container;
    }
    const auto& contentSource = sharedContentSource();
    if (binding.explicitFile) {
        container = std::make_unique<ExtendedManagedContainer>(
            binding.clipFileName, binding.correctionFilePath, contentSource);
    } else if (binding.hasFrameMetadata) {
        container = std::make_unique<ExtendedManagedContainer>(binding.frameMetadata);
    } else {
        container = std::make_unique<ExtendedManagedContainer>(binding.clipFilePath, contentSource);
    }
    return *container;
}

RecordingFormatDatabase::RecordingFormat Core::CorePrivate::retrieveRecordingFormat() {
    ExtendedManagedContainer& current = extendedManagedContainer();
    RecordingFormatDatabase::RecordingFormat format;
    if (!dataSource->recordingFormat(format)) {
        format = current.recordingFormat();
    }
    if (!isUsable(format)) {
        throwInvalidRecordingFormat(format);
    }
    return format;
}

FrameData Core::CorePrivate::retrieveFrameData() const {
    FrameData frameData;
    if (!dataSource->frameData(frameData)) {
        throw Exception("There is some frame related data missing.");
    }
    // A host that fills all sixteen characters leaves no terminating zero.
    frameData.timecode[sizeof frameData.timecode - 1] = '\0';
    checkFrameRate(frameData.frameRate, "Frame Rate");
    return frameData;
}

CorrectionData::Frame Core::CorePrivate::retrieveCorrectionFrameData(const FrameData& frameData) {
    CorrectionData::Header header;
    container->headerData(header);
    const float dataRate = header.tc.fps;
    const unsigned int number = rescaledFrameNumber(frameData, dataRate);

    CorrectionData::Frame frame;
    if (frameData.timecode[0] != '\0' && dataRate != 0.0F) {
        const Timecode::Timecode timecode(frameData.timecode, dataRate, header.tc.drop);
        container->frameData(timecode + number, frame);
    } else {
        container->frameData(number, frame);
    }
    return frame;
}

RendererRequest Core::CorePrivate::prepareRequest() {
    RendererRequest request;
    request.shading = dataSource->shouldPerformShadingCorrection(request.shadingParameter);
    request.distortion = dataSource->shouldPerformDistortionCorrection(request.distortionParameter);
    if (!request.shading && !request.distortion) {
        return request;
    }

    const auto format = retrieveRecordingFormat();
    const FrameData frameData = retrieveFrameData();
    const CorrectionData::Frame frame = retrieveCorrectionFrameData(frameData);
    checkAspectRatio(frameData, format);
    auto applied = std::make_unique<CorrectionInUse>(describedCorrection(frame));

    request.currentWidth = frameData.width;
    request.currentHeight = frameData.height;
    request.originalWidth = format.pixelWidth;
    request.originalHeight = format.pixelHeight;
    request.radius = (frameData.overscan / 100.0F + 1.0F) * format.sensorRadius;
    if (request.shading) {
        request.shadingCoefficients =
            fitted(frame.interpolationPoints.heights, frame.interpolationPoints.shading);
    }
    if (request.distortion) {
        const DistortionFits fits = distortionFits(frame);
        const float distortedRadius = evaluate(fits.forward, request.radius);
        if (request.distortionParameter.reverse) {
            request.distortionCoefficients = fits.forward;
            request.frameSizeCoefficients = fits.inverse;
            request.distortionImageRadius = request.radius;
            request.frameSizeImageRadius = distortedRadius;
        } else {
            request.distortionCoefficients = fits.inverse;
            request.frameSizeCoefficients = fits.forward;
            request.distortionImageRadius = distortedRadius;
            request.frameSizeImageRadius = request.radius;
        }
    }
    preparedCorrection = std::move(applied);
    return request;
}

std::pair<bool, bool>
Core::CorePrivate::prepareRendererIfNeeded(std::unique_lock<std::mutex>& rendererLock) {
    const RendererRequest request = prepareRequest();
    if (!request.shading && !request.distortion) {
        return {false, false};
    }
    SharedRenderers& renderers = sharedRenderers();
    rendererLock = std::unique_lock<std::mutex>(renderers.access);
    createRenderersIfNeeded(renderers);
    if (request.shading) {
        Renderer::ShadingRenderer& renderer = *renderers.shading;
        renderer.currentWidth = request.currentWidth;
        renderer.currentHeight = request.currentHeight;
        renderer.originalWidth = request.originalWidth;
        renderer.originalHeight = request.originalHeight;
        renderer.outputMap = request.shadingParameter.outputMap;
        renderer.imageRadius = request.radius;
        renderer.coefficients = request.shadingCoefficients;
        renderer.reverse = request.shadingParameter.reverse ? 1 : 0;
        renderer.gamma = 1.0F;
    }
    if (request.distortion) {
        Renderer::DistortionRenderer& renderer = *renderers.distortion;
        renderer.currentWidth = request.currentWidth;
        renderer.currentHeight = request.currentHeight;
        renderer.originalWidth = request.originalWidth;
        renderer.originalHeight = request.originalHeight;
        renderer.outputMap = request.distortionParameter.outputMap;
        renderer.coefficients = request.distortionCoefficients;
        renderer.frameSizeCoefficients = request.frameSizeCoefficients;
        renderer.imageRadius = request.distortionImageRadius;
        renderer.frameSizeImageRadius = request.frameSizeImageRadius;
    }
    return {request.shading, request.distortion};
}

// Computed from the parameters alone, without the renderers' lock: a host's
// main thread sizes frames while its workers render, and builds no program.
void Core::CorePrivate::frameSize(unsigned int& width, unsigned int& height) {
    preparedCorrection.reset();
    const RendererRequest request = prepareRequest();
    if (request.shading && request.distortion) {
        throw Exception("It is not possible to calculate the frame size for both shading and "
                        "distortion correction.");
    }
    if (request.shading) {
        width = request.currentWidth;
        height = request.currentHeight;
    } else if (request.distortion) {
        distortionFrameSize(request).compute(width, height);
    }
    lastApplied = std::move(preparedCorrection);
}

void Core::CorePrivate::render(const float* input, float* output, size_t size) {
    std::unique_lock<std::mutex> rendererLock;
    preparedCorrection.reset();
    const auto requested = prepareRendererIfNeeded(rendererLock);
    const bool shading = requested.first;
    const bool distortion = requested.second;
    if (!shading && !distortion) {
        lastApplied.reset();
        return;
    }
    SharedRenderers& renderers = sharedRenderers();
    const bool shadingMap = shading && renderers.shading->outputMap;
    const bool distortionMap = distortion && renderers.distortion->outputMap;
    if (shadingMap && distortionMap) {
        throw Exception("It is not possible to generate a single map for both shading and "
                        "distortion correction.");
    }
    if ((shadingMap || distortionMap) && input != nullptr) {
        throw Exception(
            "Input buffer is required to be set to nullptr whenever map rendering is requested.");
    }

    std::vector<float> intermediate;
    if (shading && distortion) {
        intermediate.assign(size / sizeof(float), 0.0F);
    }
    float* shadingOutput = intermediate.empty() ? output : intermediate.data();
    const float* distortionInput = intermediate.empty() ? input : intermediate.data();
    if (shading) {
        renderers.shading->render(input, shadingOutput, size);
    }
    if (distortion) {
        renderers.distortion->render(distortionInput, output, size);
    }
    lastApplied = std::move(preparedCorrection);
}

// Exactly what a render of the same request would evaluate, without a renderer.
void Core::CorePrivate::distortionMapping(DistortionMapping& mapping) {
    preparedCorrection.reset();
    const RendererRequest request = prepareRequest();
    if (!request.distortion) {
        throw Exception("A distortion mapping needs a distortion correction request.");
    }
    Renderer::DistortionFrameSize::checkRadii(request.distortionImageRadius,
                                              request.frameSizeImageRadius);
    mapping.width = request.currentWidth;
    mapping.height = request.currentHeight;
    mapping.imageRadius = request.distortionImageRadius;
    mapping.coefficients = request.distortionCoefficients;
    lastApplied = std::move(preparedCorrection);
}

CorrectionInUse Core::CorePrivate::describedCorrection(const CorrectionData::Frame& frame) const {
    CorrectionInUse correction;
    const CorrectionData::SourceFile source = container->sourceOfLastLookup();
    if (source.path.empty()) {
        correction.correctionFile = "embedded";
        return correction;
    }
    correction.correctionFile = source.path;
    correction.record = frame.number;
    correction.recordTimecode = frame.timecode;
    correction.fileSize = source.size;
    correction.modificationTimeNs = source.modificationTimeNs;
    correction.inode = source.inode;
    correction.device = source.device;
    return correction;
}

void Core::CorePrivate::correctionInUse(CorrectionInUse& correction) {
    extendedManagedContainer();
    correction = describedCorrection(retrieveCorrectionFrameData(retrieveFrameData()));
}

bool Core::CorePrivate::appliedCorrection(CorrectionInUse& correction) const {
    if (!lastApplied) {
        return false;
    }
    correction = *lastApplied;
    return true;
}

void Core::CorePrivate::reloadCorrectionData() {
    extendedManagedContainer().forgetContent();
    container.reset();
    lastApplied.reset();
}

void Core::CorePrivate::recordingFormat(RecordingFormatDatabase::RecordingFormat& format) {
    format = extendedManagedContainer().recordingFormat();
}

} // namespace Core
