#pragma once

#include "cli/CommandLineOptions.h"
#include "cli/LoadedFrame.h"
#include "core/Core.h"
#include "core/FrameRequest.h"
#include "host_rules/FrameGeometry.h"

#include <OpenImageIO/imagebuf.h>

#include <string>

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
    // corrected. The result's header names the correction data it was made with
    // (velor:correctionFile, velor:record, velor:recordTimecode), the operation
    // and the version, replacing what the input's header said of them.
    OIIO::ImageBuf correct(const LoadedFrame& frame);

    // The record the last corrected frame used, as a phrase: "record 1
    // (01:00:00:01) of /path/clip.vlcf", or "embedded correction data".
    std::string lastCorrectionDescription() const;

private:
    void describeFrame(const LoadedFrame& frame, const FrameGeometry& geometry);
    OIIO::ImageBuf correctedImage(const LoadedFrame& frame, const FrameGeometry& grown);
    OIIO::ImageBuf distortionMap(const LoadedFrame& frame, const FrameGeometry& grown);
    OIIO::ImageBuf shadingMap(const LoadedFrame& frame, const FrameGeometry& grown);
    [[noreturn]] void throwCoreError() const;
    // The output header naming the correction data that sized the frame.
    OIIO::ImageSpec namingTheCorrectionData(OIIO::ImageSpec header) const;
    // Throws unless the last render used the data that sized the frame.
    void checkTheDataStayedTheSame() const;

    const CommandLineOptions& options_;
    int firstFrame_;
    // Declared before the core, whose data source reads it.
    Core::FrameRequest request_;
    Core::Core core_;
    Core::CorrectionInUse lastCorrection_;
};
