#pragma once

#include "core/Core.h"
#include "core/CoreDataSource.h"
#include "core/ExtendedManagedContainer.h"
#include "correction_data/Frame.h"
#include "recording_format_database/RecordingFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

namespace Core {

// The renderer parameters of the current frame, computed from the data source
// and the correction data alone: no renderer, device or lock is involved.
struct RendererRequest {
    bool shading = false;
    bool distortion = false;
    ShadingCorrectionParameter shadingParameter{};
    DistortionCorrectionParameter distortionParameter{};
    std::uint32_t currentWidth = 0;
    std::uint32_t currentHeight = 0;
    std::uint32_t originalWidth = 0;
    std::uint32_t originalHeight = 0;
    // The radius that the frame's half-diagonal covers, millimetres.
    float radius = 0.0F;
    std::array<float, 7> shadingCoefficients{};
    float distortionImageRadius = 0.0F;
    float frameSizeImageRadius = 0.0F;
    std::array<float, 7> distortionCoefficients{};
    std::array<float, 7> frameSizeCoefficients{};
};

// The correction pipeline behind the facade: binds a container to the clip
// that the data source names, matches the frame, fits the polynomials and
// drives the process-wide renderers. Failures leave as Exception.
class Core::CorePrivate {
public:
    explicit CorePrivate(std::unique_ptr<CoreDataSource> dataSource);

    void frameSize(unsigned int& width, unsigned int& height);
    void render(const float* input, float* output, size_t size);
    void recordingFormat(RecordingFormatDatabase::RecordingFormat& format);
    void distortionMapping(DistortionMapping& mapping);
    void correctionInUse(CorrectionInUse& correction);
    bool appliedCorrection(CorrectionInUse& correction) const;
    void reloadCorrectionData();

private:
    ExtendedManagedContainer& extendedManagedContainer();
    RecordingFormatDatabase::RecordingFormat retrieveRecordingFormat();
    FrameData retrieveFrameData() const;
    CorrectionData::Frame retrieveCorrectionFrameData(const FrameData& frameData);
    RendererRequest prepareRequest();
    // The current frame's record and where it came from.
    CorrectionInUse describedCorrection(const CorrectionData::Frame& frame) const;
    // Writes the renderer parameters of the current frame and returns whether
    // shading and distortion are requested. When either is, rendererLock holds
    // the renderers on return, so that the caller uses the parameters before
    // another core can rewrite them.
    std::pair<bool, bool> prepareRendererIfNeeded(std::unique_lock<std::mutex>& rendererLock);

    // Members are destroyed in reverse order: the container before the data source.
    std::unique_ptr<CoreDataSource> dataSource;
    std::unique_ptr<ExtendedManagedContainer> container;
    // What the pipeline prepared, and what the last successful operation used.
    std::unique_ptr<CorrectionInUse> preparedCorrection;
    std::unique_ptr<CorrectionInUse> lastApplied;
};

} // namespace Core
