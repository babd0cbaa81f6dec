#pragma once

#include "DDImage/Knobs.h"
#include "DDImage/MetaData.h"
#include "DDImage/PlanarIop.h"
#include "core/Core.h"
#include "core/CoreDataSource.h"
#include "host_rules/FrameGeometry.h"
#include "nuke/NodeLog.h"
#include "nuke/RecordedDataSource.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// The common base of the two correction nodes: their controls, the two inputs
// ("src", the image to correct, and "plate", whose Read node describes the
// clip), the validation that sizes the output and the rendering of whole
// planes through the processing core. Failures of the core show as the node's
// error and go with their details into the class's log file.
//
// The host validates and runs the UI callbacks on its main thread and renders
// planes on workers. The node's data source is asked on the calling thread,
// without any lock held, and its answers are handed to one of two cores: one
// for the main thread and one that the workers take in turn. The main thread
// never waits for a render, of this node or another: the core sizes frames
// without the renderers' lock and builds no OpenCL program for it (the
// programs are built by the first render, on a worker).
class LensCorrection : public DD::Image::PlanarIop {
public:
    LensCorrection(Node* node, std::unique_ptr<Core::CoreDataSource> dataSource,
                   const std::string& logFilePath);
    ~LensCorrection() override;

    LensCorrection(const LensCorrection&) = delete;
    LensCorrection& operator=(const LensCorrection&) = delete;

    const char* input_label(int input, char* buffer) const override;
    int minimum_inputs() const override { return 2; }
    int maximum_inputs() const override { return 2; }
    void knobs(DD::Image::Knob_Callback f) override;
    int knob_changed(DD::Image::Knob* knob) override;
    bool updateUI(const DD::Image::OutputContext& context) override;
    void getRequests(const DD::Image::Box& box, const DD::Image::ChannelSet& channels, int count,
                     DD::Image::RequestOutput& reqData) const override;
    void renderStripe(DD::Image::ImagePlane& plane) override;
    // What the picture depends on beyond the knob values and the input's hash,
    // which the host adds itself: the frame, and the correction data's
    // identity (the file's path, size, modification time and inode, and the
    // record), so that an unchanged node is never rendered twice and a
    // replaced file always is.
    void append(DD::Image::Hash& hash) override;
    // The input's metadata with the correction data the frame is corrected
    // with, under the keys a Write stores in an EXR header.
    const DD::Image::MetaData::Bundle& _fetchMetaData(const char* keyname) override;
    PackedPreference packedPreference() const override { return ePackedPreferencePacked; }
    bool renderFullPlanes() const override { return true; }

    // An operator's input as the current callback may reach it: through
    // node_input in UI callbacks, through input() while validating or rendering.
    static DD::Image::Op* inputOf(const DD::Image::Op& op, int index);
    static int imageInputIndex() { return 0; }
    static int metadataInputIndex() { return 1; }
    DD::Image::Iop* imageInput() const;
    DD::Image::Op* metadataInput() const;
    bool isImageInputConnected() const;
    bool isMetadataInputConnected() const;

    // The control values, as the data source reads them.
    int correctionMode() const { return correctionMode_; }
    int outputType() const { return outputType_; }
    int overscanLocation() const { return overscanLocation_; }
    float overscanAmount() const { return overscanAmount_; }
    std::string correctionFilePath() const;
    bool isRecordingFormatManuallySelected() const { return manualSelection_; }
    float imageAreaWidth() const { return imageAreaWidth_; }
    float imageAreaHeight() const { return imageAreaHeight_; }
    int clipWidth() const { return clipWidth_; }
    int clipHeight() const { return clipHeight_; }
    // The diameter of the manual format, derived from the values that the
    // controls hold now: scripts and terminal renders set them without the
    // panel's refresh of the diameter control.
    double imageDiameter() const;
    // The frame size that validation derived from the input's box and format.
    int frameWidthWithOriginalAspectRatio() const { return frameWidthWithOriginalAspectRatio_; }
    int frameHeightWithOriginalAspectRatio() const { return frameHeightWithOriginalAspectRatio_; }

protected:
    void _validate(bool forReal) override;

    // Null-terminated entries of the two choice controls.
    virtual const char* const* correctionModeEntries() const = 0;
    virtual const char* const* outputTypeEntries() const = 0;
    virtual bool shouldOutputTypeKnobBeHidden() const = 0;
    // Tooltips that replace the common ones, by control name.
    virtual std::map<std::string, std::string> tooltipsForKnobIds() const = 0;
    // The name of the correction the controls ask for, as the tool names its
    // commands ("undistort", "stmap", "remove-shading", ...).
    virtual const char* operationName() const = 0;

private:
    void validateOutputBox(std::string& failure);
    void renderPlane(DD::Image::ImagePlane& plane, std::string& failure);
    void retrieveCoreErrorDescription(const Core::Core& core, std::string& brief,
                                      std::string& detail) const;
    // Logs the core's detailed error and returns its brief text.
    std::string reportedCoreError(const Core::Core& core) const;
    std::string reportedUnexpectedFailure(const char* reason) const;
    // Runs a callback's work, which reports its own failures in the text it is given;
    // anything it throws becomes the unexpected-failure message. A failure is shown as
    // the node's error.
    template <typename Work>
    void runReportingFailures(Work work);
    void calculateFrameSizeWithOriginalAspectRatio(int& width, int& height) const;
    // The layout of the output frame around the format for the current box.
    FrameGeometry frameGeometry() const;
    void updateVisibilityOfKnobsIfNeeded(DD::Image::Knob* knob);
    void updateValueOfInputOverscanKnobsIfNeeded(DD::Image::Knob* knob);
    void updateValueOfRecordingFormatKnobs(std::string& failure);
    // The correction data the current frame selects, found without fitting.
    bool correctionInUse(Core::CorrectionInUse& correction);
    // After a press of "Reload" (seen as a new reload count), forgets the
    // correction file found for the clip and its cached content.
    void reloadIfRequested();

    static double manualImageDiameter(double width, double height, double clipWidth,
                                      double clipHeight);
    double knobValue(const char* name) const;
    void setKnobValue(const char* name, double value);

    int correctionMode_ = 0;
    int outputType_ = 0;
    int overscanLocation_ = 0;
    float overscanAmount_ = 0.0F;
    int remainingWidth_ = 0;
    int remainingHeight_ = 0;
    const char* correctionFilePath_ = nullptr;
    bool manualSelection_ = false;
    float imageAreaWidth_ = 0.0F;
    float imageAreaHeight_ = 0.0F;
    int clipWidth_ = 0;
    int clipHeight_ = 0;
    float imageDiameter_ = 0.0F;
    // Raised by the "Reload" button; every operator of the node gets it, and
    // each one that sees a new value forgets the file it found.
    int reloadCount_ = 0;
    int reloadedAt_ = 0;
    std::atomic<bool> renderCoreNeedsReload_{false};
    std::mutex metadataAccess_;
    DD::Image::MetaData::Bundle outputMetadata_;
    int frameWidthWithOriginalAspectRatio_ = 0;
    int frameHeightWithOriginalAspectRatio_ = 0;
    // A call into a core and the reading of its error belong together.
    struct CoreWithRecordedSource {
        CoreWithRecordedSource();
        std::mutex access;
        RecordedDataSource* answers;
        Core::Core core;
    };
    // The host's knob_changed for values set from this node's own callbacks.
    bool settingKnobValues_ = false;
    std::unique_ptr<Core::CoreDataSource> dataSource_;
    CoreWithRecordedSource mainThreadCore_;
    CoreWithRecordedSource renderCore_;
    NodeLog logger_;
};
