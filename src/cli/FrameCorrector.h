#pragma once

#include "cli/CommandLineOptions.h"
#include "cli/LoadedFrame.h"
#include "core/Core.h"
#include "core/FrameRequest.h"
#include "host_rules/FrameGeometry.h"

#include <OpenImageIO/imagebuf.h>

// Corrects frames, or renders their maps, through one processing core, as
// the compositing node does: the frame's own metadata identifies it, and the
// output grows around the input's format to the size the correction needs.
class FrameCorrector {
public:
    // `firstFrame` is the first frame of the sequence on disk, from which
    // frame numbers are counted.
    FrameCorrector(const CommandLineOptions& options, int firstFrame);

    FrameCorrector(const FrameCorrector&) = delete;
    FrameCorrector& operator=(const FrameCorrector&) = delete;

    // Throws Exception with the core's description when the frame cannot be
    // corrected.
    OIIO::ImageBuf correct(const LoadedFrame& frame);

private:
    void describeFrame(const LoadedFrame& frame, const FrameGeometry& geometry);
    OIIO::ImageBuf correctedImage(const LoadedFrame& frame, const FrameGeometry& grown);
    OIIO::ImageBuf distortionMap(const LoadedFrame& frame, const FrameGeometry& grown);
    OIIO::ImageBuf shadingMap(const LoadedFrame& frame, const FrameGeometry& grown);
    [[noreturn]] void throwCoreError() const;

    const CommandLineOptions& options_;
    int firstFrame_;
    // Declared before the core, whose data source reads it.
    Core::FrameRequest request_;
    Core::Core core_;
};
