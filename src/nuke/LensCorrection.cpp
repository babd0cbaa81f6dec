#include "nuke/LensCorrection.h"

#include "DDImage/Hash.h"
#include "DDImage/ImagePlane.h"
#include "DDImage/Knob.h"
#include "foundation/Version.h"
#include "host_rules/CoreErrorDescription.h"
#include "host_rules/ManualRecordingFormat.h"
#include "host_rules/StMapValues.h"
#include "nuke/HostFrameBuffer.h"
#include "recording_format_database/RecordingFormat.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <string>
#include <utility>
#include <vector>

// The nodes compile at the C++ standard of the NDK they are built for (C++14
// for Nuke 12.2 and 13 and for the stand-in), whatever the core they link needs.
// clang-tidy reads every source as C++17.
#ifndef __clang_analyzer__
static_assert(VELOR_NDK_CXX_STANDARD != 14 || __cplusplus == 201402L,
              "the node sources must compile as C++14");
static_assert(VELOR_NDK_CXX_STANDARD != 17 || __cplusplus == 201703L,
              "the node sources must compile as C++17");
#endif

namespace {

const char* const correctionModeKnob = "correctionMode";
const char* const outputTypeKnob = "outputType";
const char* const overscanLocationKnob = "inputOverscan::location";
const char* const overscanAmountKnob = "inputOverscan::amount";
const char* const remainingWidthKnob = "inputOverscan::remainingResolution::width";
const char* const remainingHeightKnob = "inputOverscan::remainingResolution::height";
const char* const correctionFileGroup = "correctionFile";
const char* const correctionFilePathKnob = "correctionFile::path";
const char* const reloadKnob = "reload";
const char* const correctionFileMetadataKey = "exr/velor:correctionFile";
const char* const recordMetadataKey = "exr/velor:record";
const char* const recordTimecodeMetadataKey = "exr/velor:recordTimecode";
const char* const operationMetadataKey = "exr/velor:operation";
const char* const versionMetadataKey = "exr/velor:version";
const char* const reloadCountKnob = "reloadCount";
const char* const recordingFormatGroup = "recordingFormat";
const char* const manualSelectionKnob = "recordingFormat::manualSelection";
const char* const imageAreaSizeGroup = "recordingFormat::imageAreaSize";
const char* const imageAreaWidthKnob = "recordingFormat::imageAreaSize::width";
const char* const imageAreaHeightKnob = "recordingFormat::imageAreaSize::height";
const char* const clipResolutionGroup = "recordingFormat::clipResolution";
const char* const clipWidthKnob = "recordingFormat::clipResolution::width";
const char* const clipHeightKnob = "recordingFormat::clipResolution::height";
const char* const imageDiameterKnob = "recordingFormat::imageDiameter";

const char* const overscanLocations[] = {"Bounding Box", "Format", nullptr};
const int overscanLocationFormat = 1;
const int outputTypeMap = 1;

const char* const overscanLocationTooltip =
    "Select the location of the overscan which is present in the input image.\n\nChoose "
    "<b>Bounding Box</b> if the overscan area is represented by the BBox of the input "
    "image.\n\nChoose <b>Format</b> if the overscan area is present in the format of the input "
    "image.";
const char* const overscanAmountTooltip =
    "Set the amount of the overscan.\n\nBoth the width and height of the remaining resolution "
    "will be automatically updated.\n\n<b>Please note</b> that the remaining resolution will be "
    "calculated as follows:\n  Remaining_Width = Format_Width / (1 + Overscan_Amount / 100)\n  "
    "Remaining_Height = Format_Height / (1 + Overscan_Amount / 100)";
const char* const remainingWidthTooltip =
    "Set the width of the remaining resolution without overscan.\n\nThe corresponding height "
    "will be automatically updated to retain the aspect ratio of the recording format.";
const char* const remainingHeightTooltip =
    "Set the height of the remaining resolution without overscan.\n\nThe corresponding width "
    "will be automatically updated to retain the aspect ratio of the recording format.";
const char* const correctionFilePathTooltip =
    "Select the path of the VELOR lens correction file manually if the plug-in is not able to "
    "find it automatically by itself.\n\n<b>General Information</b>\nIn order to get access to "
    "the metadata stored in the VELOR lens correction file with the extension <b>vlcf</b>, the "
    "plug-in needs to know the location of the file. The plug-in is capable of finding the "
    "location of the file automatically by itself, but only if it is stored at one of the "
    "expected locations. If the file is stored at another location, the user needs to manually "
    "select the correction file to provide its location to the plug-in.\n\nFor the plug-in to "
    "automatically find the location, the correction file is expected to be at one of the "
    "following locations:\n\n1. File is located directly in the same directory as the video "
    "file.\n2. File is located in one of the subdirectories contained in the same directory as "
    "the video file. Please note that the subdirectory depth for this case is limited to "
    "one.\n3. File is located directly in one of the parent directories. Please note that the "
    "number of parent directories is limited to five.\n4. File is located in one of the "
    "subdirectories contained in one of the parent directories. Please note that the "
    "subdirectory depth for this case is limited to two.";
const char* const reloadTooltip =
    "Forget the correction file found for the clip and read the correction data again, so that "
    "a file that was replaced or newly delivered closer to the clip is used.";
const char* const manualSelectionTooltip =
    "The plug-in provides information about the sub-area of the sensor covered by the "
    "recording format, along with its size and resolution. This information is stored in the "
    "VELOR lens correction file and usually only displayed to the user.\n\nIf the recording "
    "format information is missing, however, you will be asked to provide the information by "
    "yourself. To do that, please set the checkmark for manual selection of the format and fill "
    "in the required data.";
const char* const imageAreaWidthTooltip =
    "This is the physical width of the sub-area of the sensor covered by the recording format.";
const char* const imageAreaHeightTooltip =
    "This is the physical height of the sub-area of the sensor covered by the recording format.";
const char* const clipWidthTooltip =
    "This is the width of the clip resolution captured in the recording format.";
const char* const clipHeightTooltip =
    "This is the height of the clip resolution captured in the recording format.";
const char* const imageDiameterTooltip =
    "This is the physical diameter of the sub-area of the sensor covered by the recording "
    "format.";

const char* const missingBriefDescription =
    "An issue did occur, but the issue description could not be retrieved. Please contact the "
    "developer.";
const char* const missingDetailedDescription =
    "An issue did occur, but the detailed issue description could not be retrieved. Please "
    "contact the developer.";
const char* const unexpectedFailure =
    "An unexpected issue did occur while correcting the frame. Please try again, and contact "
    "the developer if it persists.";

// Frames larger than this on a side are refused rather than overflowing the box.
const long long maximumFrameSide = 1 << 20;

// Rounds half away from zero; a value that is not finite or does not fit becomes 0.
int roundedToInt(double value) {
    const double rounded = std::round(value);
    if (!std::isfinite(rounded) || rounded > INT_MAX || rounded < INT_MIN) {
        return 0;
    }
    return static_cast<int>(rounded);
}

int roundedToInt(float value) {
    return roundedToInt(static_cast<double>(value));
}

int clampedToInt(std::int64_t value) {
    return static_cast<int>(
        std::min<std::int64_t>(std::max<std::int64_t>(value, INT_MIN), INT_MAX));
}

double roundedToTwoDecimals(double value) {
    return std::round(value * 100.0) / 100.0;
}

// Set while this thread runs a UI callback, where inputs are reached through node_input.
thread_local int uiCallbackDepth = 0;

class UiCallback {
public:
    UiCallback() { ++uiCallbackDepth; }
    ~UiCallback() { --uiCallbackDepth; }
    UiCallback(const UiCallback&) = delete;
    UiCallback& operator=(const UiCallback&) = delete;
};

class SettingKnobValues {
public:
    explicit SettingKnobValues(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~SettingKnobValues() { flag_ = previous_; }
    SettingKnobValues(const SettingKnobValues&) = delete;
    SettingKnobValues& operator=(const SettingKnobValues&) = delete;

private:
    bool& flag_;
    bool previous_;
};

// The slot of a channel in the core's RGBA pixels, by the channel's own name
// ("rgba.red", "diffuse.green", "rgba.alpha"); -1 for other channels.
int slotOfRole(DD::Image::Channel channel) {
    const std::string name = DD::Image::getName(channel);
    const std::string role = name.substr(name.rfind('.') + 1);
    const char* const roles[] = {"red", "green", "blue", "alpha"};
    for (int slot = 0; slot < 4; ++slot) {
        if (role == roles[slot]) {
            return slot;
        }
    }
    return -1;
}

const int alphaSlot = 3;

// The ST map of a frame over the box, rows from the bottom as the host keeps them: the
// mapping's rows run from the top of the box.
void fillStMap(const Core::DistortionMapping& mapping, const DD::Image::Format& format,
               const DD::Image::Box& box, float* frame) {
    const auto marginX = static_cast<std::uint32_t>(std::max(format.x() - box.x(), 0));
    const auto marginY = static_cast<std::uint32_t>(std::max(box.t() - format.t(), 0));
    const auto width = static_cast<std::uint32_t>(std::max(format.w(), 1));
    const auto height = static_cast<std::uint32_t>(std::max(format.h(), 1));
    const size_t boxWidth = static_cast<size_t>(std::max(box.w(), 0));
    for (int row = 0; row < box.h(); ++row) {
        for (int column = 0; column < box.w(); ++column) {
            const size_t pixel = static_cast<size_t>(row) * boxWidth + static_cast<size_t>(column);
            StMapValues::at(mapping, width, height, marginX, marginY, column, box.h() - 1 - row,
                            &frame[pixel * 4]);
        }
    }
}

// Texts of the host's knob callbacks must stay alive during the call only.
const char* tooltipOr(const std::map<std::string, std::string>& tooltips, const char* name,
                      const char* fallback) {
    const auto found = tooltips.find(name);
    return found != tooltips.end() ? found->second.c_str() : fallback;
}

} // namespace

LensCorrection::LensCorrection(Node* node, std::unique_ptr<Core::CoreDataSource> dataSource,
                               const std::string& logFilePath)
    : PlanarIop(node), dataSource_(std::move(dataSource)), logger_(logFilePath) {
    inputs(2);
}

LensCorrection::CoreWithRecordedSource::CoreWithRecordedSource()
    : answers(new RecordedDataSource()), core(std::unique_ptr<Core::CoreDataSource>(answers)) {}

LensCorrection::~LensCorrection() = default;

const char* LensCorrection::input_label(int input, char* /*buffer*/) const {
    if (input == imageInputIndex()) {
        return "src";
    }
    if (input == metadataInputIndex()) {
        return "plate";
    }
    return nullptr;
}

void LensCorrection::knobs(DD::Image::Knob_Callback f) {
    using namespace DD::Image;
    // Only the tooltips need memory; without them the controls still work.
    std::map<std::string, std::string> tooltips;
    try {
        tooltips = tooltipsForKnobIds();
    } catch (...) {
        tooltips.clear();
    }

    Enumeration_knob(f, &correctionMode_, correctionModeEntries(), correctionModeKnob,
                     "Correction Mode");
    Tooltip(f, tooltipOr(tooltips, correctionModeKnob, ""));
    Enumeration_knob(f, &outputType_, outputTypeEntries(), outputTypeKnob, "Output Type");
    if (shouldOutputTypeKnobBeHidden()) {
        SetFlags(f, Knob::HIDDEN);
    }
    Tooltip(f, tooltipOr(tooltips, outputTypeKnob, ""));
    Divider(f);

    Enumeration_knob(f, &overscanLocation_, overscanLocations, overscanLocationKnob,
                     "Input Overscan Location");
    SetFlags(f, Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, overscanLocationKnob, overscanLocationTooltip));
    Float_knob(f, &overscanAmount_, overscanAmountKnob, "Overscan Amount [%]");
    SetRange(f, 0, 20);
    SetFlags(f, Knob::HIDDEN | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, overscanAmountKnob, overscanAmountTooltip));
    Int_knob(f, &remainingWidth_, remainingWidthKnob, "Resolution w/o Overscan [px]");
    SetRange(f, 0, 0);
    SetFlags(f, Knob::HIDDEN | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, remainingWidthKnob, remainingWidthTooltip));
    Divider(f, "");
    Int_knob(f, &remainingHeight_, remainingHeightKnob, "");
    SetRange(f, 0, 0);
    SetFlags(f, Knob::HIDDEN | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, remainingHeightKnob, remainingHeightTooltip));
    Divider(f);

    BeginGroup(f, correctionFileGroup, "Correction File");
    File_knob(f, &correctionFilePath_, correctionFilePathKnob, "Manually Selected File");
    Tooltip(f, tooltipOr(tooltips, correctionFilePathKnob, correctionFilePathTooltip));
    Button(f, reloadKnob, "Reload");
    Tooltip(f, tooltipOr(tooltips, reloadKnob, reloadTooltip));
    Int_knob(f, &reloadCount_, reloadCountKnob);
    SetFlags(f, Knob::INVISIBLE | Knob::DO_NOT_WRITE | Knob::NO_ANIMATION);
    EndGroup(f);

    BeginGroup(f, recordingFormatGroup, "Recording Format");
    Bool_knob(f, &manualSelection_, manualSelectionKnob, "Manual Selection");
    SetFlags(f, Knob::STARTLINE | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, manualSelectionKnob, manualSelectionTooltip));
    BeginGroup(f, imageAreaSizeGroup, "Image Area Size");
    Float_knob(f, &imageAreaWidth_, imageAreaWidthKnob, "Width [mm]");
    SetRange(f, 0, ManualRecordingFormat::largestImageAreaSide);
    SetFlags(f, Knob::FORCE_RANGE | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, imageAreaWidthKnob, imageAreaWidthTooltip));
    Float_knob(f, &imageAreaHeight_, imageAreaHeightKnob, "Height [mm]");
    SetRange(f, 0, ManualRecordingFormat::largestImageAreaSide);
    SetFlags(f, Knob::FORCE_RANGE | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, imageAreaHeightKnob, imageAreaHeightTooltip));
    EndGroup(f);
    BeginGroup(f, clipResolutionGroup, "Clip Resolution");
    Int_knob(f, &clipWidth_, clipWidthKnob, "Width [px]");
    SetRange(f, 0, ManualRecordingFormat::largestClipSide);
    SetFlags(f, Knob::FORCE_RANGE | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, clipWidthKnob, clipWidthTooltip));
    Int_knob(f, &clipHeight_, clipHeightKnob, "Height [px]");
    SetRange(f, 0, ManualRecordingFormat::largestClipSide);
    SetFlags(f, Knob::FORCE_RANGE | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, clipHeightKnob, clipHeightTooltip));
    EndGroup(f);
    Float_knob(f, &imageDiameter_, imageDiameterKnob, "Image Diameter [mm]");
    SetRange(f, 0, ManualRecordingFormat::largestImageDiameter);
    SetFlags(f, Knob::FORCE_RANGE | Knob::DISABLED | Knob::NO_ANIMATION);
    Tooltip(f, tooltipOr(tooltips, imageDiameterKnob, imageDiameterTooltip));
    EndGroup(f);

    if (!f.makeKnobs()) {
        updateVisibilityOfKnobsIfNeeded(nullptr);
    }
}

// The host's error() leaves _validate by an exception of its own, so it is called only
// here, outside every try block.
template <typename Work>
void LensCorrection::runReportingFailures(Work work) {
    std::string failure;
    try {
        work(failure);
    } catch (const std::exception& exception) {
        failure = reportedUnexpectedFailure(exception.what());
    } catch (...) {
        failure = reportedUnexpectedFailure("unknown");
    }
    if (!failure.empty()) {
        error("%s", failure.c_str());
    }
}

int LensCorrection::knob_changed(DD::Image::Knob* knob) {
    if (settingKnobValues_) {
        return 1; // a value this node set itself
    }
    const UiCallback ui;
    runReportingFailures([this, knob](std::string& /*failure*/) {
        const SettingKnobValues setting(settingKnobValues_);
        if (knob != nullptr && knob->is(reloadKnob)) {
            setKnobValue(reloadCountKnob, knobValue(reloadCountKnob) + 1);
        }
        updateVisibilityOfKnobsIfNeeded(knob);
        updateValueOfInputOverscanKnobsIfNeeded(knob);
    });
    return 1;
}

bool LensCorrection::updateUI(const DD::Image::OutputContext& /*context*/) {
    const UiCallback ui;
    runReportingFailures([this](std::string& failure) {
        const SettingKnobValues setting(settingKnobValues_);
        reloadIfRequested();
        updateValueOfInputOverscanKnobsIfNeeded(nullptr);
        updateValueOfRecordingFormatKnobs(failure);
    });
    return true;
}

void LensCorrection::_validate(bool forReal) {
    PlanarIop::_validate(forReal);
    if (aborted()) {
        return;
    }
    if (!isImageInputConnected()) {
        abort();
        return;
    }
    copy_info(imageInputIndex());
    if (aborted()) {
        return;
    }
    runReportingFailures([this](std::string& failure) {
        reloadIfRequested();
        validateOutputBox(failure);
    });
}

void LensCorrection::validateOutputBox(std::string& failure) {
    const DD::Image::Format& format = info_.format();
    const FrameGeometry geometry = frameGeometry();
    const auto setBox = [this, &format](const FrameGeometry& frame) {
        const int dx = clampedToInt(frame.marginX());
        const int dy = clampedToInt(frame.marginY());
        info_.set(format.x() - dx, format.y() - dy, format.r() + dx, format.t() + dy);
    };
    setBox(geometry);
    frameWidthWithOriginalAspectRatio_ = clampedToInt(geometry.boxWidth());
    frameHeightWithOriginalAspectRatio_ = clampedToInt(geometry.boxHeight());

    const RecordedDataSource::Answers answers = RecordedDataSource::record(*dataSource_);
    unsigned int coreWidth = 0;
    unsigned int coreHeight = 0;
    bool sized = false;
    {
        const std::lock_guard<std::mutex> lock(mainThreadCore_.access);
        mainThreadCore_.answers->replay(answers);
        sized = mainThreadCore_.core.frameSize(coreWidth, coreHeight);
        if (!sized) {
            failure = reportedCoreError(mainThreadCore_.core);
        }
    }
    if (aborted() || !sized) {
        return;
    }
    const long long finalWidth = std::max<long long>(coreWidth, geometry.alignedWidth());
    const long long finalHeight = std::max<long long>(coreHeight, geometry.alignedHeight());
    if (finalWidth > maximumFrameSide || finalHeight > maximumFrameSide) {
        failure = "The corrected frame would be " + std::to_string(finalWidth) + " x " +
                  std::to_string(finalHeight) +
                  " pixels, more than can be rendered. Check the correction data and the "
                  "overscan controls.";
        return;
    }
    setBox(geometry.grownTo(finalWidth, finalHeight));
}

// The core corrects whole frames, so every plane reads the input over the whole output box; and
// the host hands over whole layers (renderFullPlanes), so every channel of a layer of which any
// channel is asked for is read.
void LensCorrection::getRequests(const DD::Image::Box& /*box*/,
                                 const DD::Image::ChannelSet& channels, int count,
                                 DD::Image::RequestOutput& reqData) const {
    if (!isImageInputConnected()) {
        return;
    }
    DD::Image::ChannelSet layers = channels;
    foreach (channel, channels) {
        const std::string layer = DD::Image::getLayerName(channel);
        foreach (member, info_.channels()) {
            if (layer == DD::Image::getLayerName(member)) {
                layers += member;
            }
        }
    }
    reqData.request(imageInput(), info_.box(), layers, count);
}

void LensCorrection::renderStripe(DD::Image::ImagePlane& plane) {
    if (aborted()) {
        return;
    }
    if (!isImageInputConnected()) {
        abort();
        return;
    }
    runReportingFailures([this, &plane](std::string& failure) { renderPlane(plane, failure); });
}

// The host hands over one layer at a time, at most four channels, packed or
// not, over any part of the output box. The core corrects whole frames of
// interleaved RGBA floats in the size of the output box: each channel goes
// into the slot of its role (red, green, blue, alpha). Distortion warps every
// channel alike, so channels without a role take the free slots; shading
// changes the colour channels only and passes the others on.
void LensCorrection::renderPlane(DD::Image::ImagePlane& plane, std::string& failure) {
    const RecordedDataSource::Answers answers = RecordedDataSource::record(*dataSource_);
    if (aborted()) {
        return;
    }
    const DD::Image::Box box = info_.box();
    const DD::Image::Box bounds = plane.bounds();
    const DD::Image::ChannelSet channels = plane.channels();
    std::vector<DD::Image::Channel> planeChannels;
    foreach (z, channels) {
        planeChannels.push_back(z);
    }
    // An ST map fills the four roles of a layer; other channels pass through.
    const bool stMap = answers.distortion && answers.distortionParameter.outputMap;
    const bool colourOnly = answers.shading || stMap;
    std::vector<int> slots(planeChannels.size(), -1);
    bool used[4] = {false, false, false, false};
    for (size_t i = 0; i < planeChannels.size(); ++i) {
        const int slot = slotOfRole(planeChannels[i]);
        if (slot >= 0 && !(answers.shading && slot == alphaSlot) && !used[slot]) {
            slots[i] = slot;
            used[slot] = true;
        }
    }
    for (size_t i = 0; i < planeChannels.size() && !colourOnly; ++i) {
        for (int slot = 0; slot < 4 && slots[i] < 0; ++slot) {
            if (!used[slot]) {
                slots[i] = slot;
                used[slot] = true;
            }
        }
    }
    const bool anyCorrected = std::any_of(slots.begin(), slots.end(), [](int s) { return s >= 0; });

    DD::Image::Iop* input = imageInput();
    DD::Image::Box inputBox = box;
    inputBox.intersect(input->info().box());
    const bool inputPresent = inputBox.w() > 0 && inputBox.h() > 0 && !planeChannels.empty();
    DD::Image::ImagePlane inputPlane(inputPresent ? inputBox : DD::Image::Box(0, 0, 0, 0), true,
                                     channels, static_cast<int>(planeChannels.size()));
    if (inputPresent) {
        input->fetchPlane(inputPlane);
        if (aborted()) {
            return;
        }
    }
    const size_t boxWidth = static_cast<size_t>(std::max(box.w(), 0));
    const size_t pixelCount = boxWidth * static_cast<size_t>(std::max(box.h(), 0));
    // Channels without a slot keep the input; outside the input there is black.
    const auto writePlane = [&](const float* result) {
        plane.makeWritable();
        for (int y = bounds.y(); y < bounds.t(); ++y) {
            for (int x = bounds.x(); x < bounds.r(); ++x) {
                const bool inBox = x >= box.x() && x < box.r() && y >= box.y() && y < box.t();
                const bool inInput = inputPresent && x >= inputBox.x() && x < inputBox.r() &&
                                     y >= inputBox.y() && y < inputBox.t();
                const size_t pixel =
                    inBox ? static_cast<size_t>(y - box.y()) * boxWidth + (x - box.x()) : 0;
                for (size_t i = 0; i < slots.size(); ++i) {
                    const int c = static_cast<int>(i);
                    float value = inInput ? inputPlane.at(x, y, c) : 0.0F;
                    if (slots[i] >= 0 && inBox) {
                        value = result[pixel * 4 + slots[i]];
                    }
                    plane.writableAt(x, y, c) = value;
                }
            }
        }
    };
    if (!anyCorrected || pixelCount == 0) {
        writePlane(nullptr);
        return;
    }

    // The layers of a node render one at a time, and each takes its two frame
    // buffers only while it renders: however many layers the host renders at
    // once, two frames of buffers are taken, besides the fetched planes.
    const std::lock_guard<std::mutex> lock(renderCore_.access);
    if (aborted()) {
        return;
    }
    const HostFrameBuffer frame(pixelCount * 4);
    const HostFrameBuffer corrected(pixelCount * 4);
    if (frame.data() == nullptr || corrected.data() == nullptr) {
        failure = "There is not enough memory to correct a frame of " + std::to_string(box.w()) +
                  " x " + std::to_string(box.h()) +
                  " pixels. Raise Nuke's memory limit or free memory, then try again.";
        return;
    }
    for (int y = inputBox.y(); inputPresent && y < inputBox.t(); ++y) {
        for (int x = inputBox.x(); x < inputBox.r(); ++x) {
            const size_t pixel = static_cast<size_t>(y - box.y()) * boxWidth + (x - box.x());
            for (size_t i = 0; i < slots.size(); ++i) {
                if (slots[i] >= 0) {
                    frame.data()[pixel * 4 + slots[i]] = inputPlane.at(x, y, static_cast<int>(i));
                }
            }
        }
    }
    if (renderCoreNeedsReload_.exchange(false)) {
        renderCore_.core.reloadCorrectionData();
    }
    renderCore_.answers->replay(answers);
    bool rendered = false;
    if (stMap) {
        Core::DistortionMapping mapping;
        rendered = renderCore_.core.distortionMapping(mapping);
        if (rendered) {
            fillStMap(mapping, info_.format(), box, corrected.data());
        }
    } else {
        const bool map = outputType_ == outputTypeMap;
        rendered = renderCore_.core.render(map ? nullptr : frame.data(), corrected.data(),
                                           frame.size() * sizeof(float));
    }
    if (!rendered) {
        failure = reportedCoreError(renderCore_.core);
    }
    if (aborted()) {
        return;
    }
    // A failed render leaves the input in the plane.
    writePlane(rendered ? corrected.data() : frame.data());
}

void LensCorrection::append(DD::Image::Hash& hash) {
    try {
        reloadIfRequested();
        hash.append(outputContext().frame());
        Core::CorrectionInUse used;
        if (correctionInUse(used)) {
            hash.append(used.correctionFile);
            hash.append(used.record);
            hash.append(used.recordTimecode);
            hash.append(static_cast<U64>(used.fileSize));
            hash.append(static_cast<U64>(used.modificationTimeNs));
            hash.append(static_cast<U64>(used.inode));
            hash.append(static_cast<U64>(used.device));
        } else {
            // Rendering fails until there is correction data; its arrival changes the hash.
            hash.append(false);
        }
    } catch (...) {
        hash.newvalue();
    }
}

bool LensCorrection::correctionInUse(Core::CorrectionInUse& correction) {
    const RecordedDataSource::Answers answers = RecordedDataSource::record(*dataSource_);
    const std::lock_guard<std::mutex> lock(mainThreadCore_.access);
    mainThreadCore_.answers->replay(answers);
    return mainThreadCore_.core.correctionInUse(correction);
}

void LensCorrection::reloadIfRequested() {
    if (reloadCount_ == reloadedAt_) {
        return;
    }
    reloadedAt_ = reloadCount_;
    {
        const std::lock_guard<std::mutex> lock(mainThreadCore_.access);
        mainThreadCore_.core.reloadCorrectionData();
    }
    // The render core forgets before its next render, so that nothing here waits for one.
    renderCoreNeedsReload_ = true;
}

// Keys of the exr namespace reach an EXR header under their own names, as the tool writes them;
// values of these names in the input are replaced, never carried over.
const DD::Image::MetaData::Bundle& LensCorrection::_fetchMetaData(const char* keyname) {
    const DD::Image::MetaData::Bundle& input = PlanarIop::_fetchMetaData(keyname);
    Core::CorrectionInUse used;
    bool found = false;
    try {
        found = correctionInUse(used);
    } catch (...) {
        found = false;
    }
    const std::lock_guard<std::mutex> lock(metadataAccess_);
    outputMetadata_ = input;
    for (const char* key : {correctionFileMetadataKey, recordMetadataKey, recordTimecodeMetadataKey,
                            operationMetadataKey, versionMetadataKey}) {
        outputMetadata_.erase(key);
    }
    if (found) {
        outputMetadata_.setData(correctionFileMetadataKey, used.correctionFile);
        outputMetadata_.setData(recordMetadataKey, static_cast<int>(used.record));
        if (!used.recordTimecode.empty()) {
            outputMetadata_.setData(recordTimecodeMetadataKey, used.recordTimecode);
        }
        outputMetadata_.setData(operationMetadataKey, operationName());
        outputMetadata_.setData(versionMetadataKey, Version::text());
    }
    return outputMetadata_;
}

DD::Image::Op* LensCorrection::inputOf(const DD::Image::Op& op, int index) {
    if (uiCallbackDepth > 0) {
        // UI callbacks run on the node's first operator, whose inputs may not be set.
        return op.node_input(index, DD::Image::Op::INPUT_OP);
    }
    return index < op.inputs() ? op.input(index) : nullptr;
}

DD::Image::Iop* LensCorrection::imageInput() const {
    DD::Image::Op* op = inputOf(*this, imageInputIndex());
    return op != nullptr ? op->iop() : nullptr;
}

DD::Image::Op* LensCorrection::metadataInput() const {
    return inputOf(*this, metadataInputIndex());
}

bool LensCorrection::isImageInputConnected() const {
    DD::Image::Op* input = inputOf(*this, imageInputIndex());
    return input != nullptr && input != default_input(imageInputIndex());
}

bool LensCorrection::isMetadataInputConnected() const {
    DD::Image::Op* input = metadataInput();
    return input != nullptr && input != default_input(metadataInputIndex());
}

std::string LensCorrection::correctionFilePath() const {
    return correctionFilePath_ != nullptr ? correctionFilePath_ : "";
}

void LensCorrection::retrieveCoreErrorDescription(const Core::Core& core, std::string& brief,
                                                  std::string& detail) const {
    if (!CoreErrorDescription::brief(core, brief)) {
        brief = missingBriefDescription;
    }
    if (!CoreErrorDescription::detailed(core, detail)) {
        detail = missingDetailedDescription;
    }
}

std::string LensCorrection::reportedCoreError(const Core::Core& core) const {
    std::string brief;
    std::string detail;
    retrieveCoreErrorDescription(core, brief, detail);
    logger_.log(detail);
    return brief;
}

std::string LensCorrection::reportedUnexpectedFailure(const char* reason) const {
    try {
        logger_.log(std::string(unexpectedFailure) + "\nReason: \"" + reason + "\"");
    } catch (...) {
        // Without memory for the log line the node's error still tells the user.
    }
    return unexpectedFailure;
}

void LensCorrection::calculateFrameSizeWithOriginalAspectRatio(int& width, int& height) const {
    const FrameGeometry geometry = frameGeometry();
    width = clampedToInt(geometry.alignedWidth());
    height = clampedToInt(geometry.alignedHeight());
}

FrameGeometry LensCorrection::frameGeometry() const {
    const DD::Image::Format& format = info_.format();
    const DD::Image::Box& box = info_.box();
    return FrameGeometry(format.w(), format.h(),
                         std::max(format.x() - box.x(), box.r() - format.r()),
                         std::max(format.y() - box.y(), box.t() - format.t()));
}

double LensCorrection::knobValue(const char* name) const {
    DD::Image::Knob* k = knob(name);
    return k != nullptr ? k->get_value() : 0.0;
}

void LensCorrection::setKnobValue(const char* name, double value) {
    DD::Image::Knob* k = knob(name);
    if (k != nullptr) {
        k->set_value(value);
    }
}

void LensCorrection::updateVisibilityOfKnobsIfNeeded(DD::Image::Knob* changed) {
    if (changed == nullptr || changed->is(overscanLocationKnob)) {
        const bool format = roundedToInt(knobValue(overscanLocationKnob)) == overscanLocationFormat;
        for (const char* name : {overscanAmountKnob, remainingWidthKnob, remainingHeightKnob}) {
            if (DD::Image::Knob* k = knob(name)) {
                k->visible(format);
            }
        }
    }
    if (changed == nullptr || changed->is(manualSelectionKnob)) {
        const bool manual = knobValue(manualSelectionKnob) != 0.0;
        for (const char* name :
             {imageAreaWidthKnob, imageAreaHeightKnob, clipWidthKnob, clipHeightKnob}) {
            if (DD::Image::Knob* k = knob(name)) {
                k->enable(manual);
            }
        }
    }
}

void LensCorrection::updateValueOfInputOverscanKnobsIfNeeded(DD::Image::Knob* changed) {
    DD::Image::Iop* input = isImageInputConnected() ? imageInput() : nullptr;
    if (input != nullptr && !input->valid()) {
        return; // its format is known once the host has validated it
    }
    const float formatWidth = input != nullptr ? static_cast<float>(input->format().w()) : 0;
    const float formatHeight = input != nullptr ? static_cast<float>(input->format().h()) : 0;
    if (input == nullptr || formatWidth <= 0 || formatHeight <= 0) {
        setKnobValue(remainingWidthKnob, 0);
        setKnobValue(remainingHeightKnob, 0);
        return;
    }
    if (changed != nullptr && changed->is(remainingWidthKnob)) {
        const float width = static_cast<float>(roundedToInt(changed->get_value()));
        setKnobValue(remainingHeightKnob, roundedToInt(formatHeight / formatWidth * width));
        if (width > 0) {
            setKnobValue(overscanAmountKnob, (formatWidth - width) / width * 100.0F);
        }
        return;
    }
    if (changed != nullptr && changed->is(remainingHeightKnob)) {
        const float height = static_cast<float>(roundedToInt(changed->get_value()));
        setKnobValue(remainingWidthKnob, roundedToInt(formatWidth / formatHeight * height));
        if (height > 0) {
            setKnobValue(overscanAmountKnob, (formatHeight - height) / height * 100.0F);
        }
        return;
    }
    const float amount = static_cast<float>(knobValue(overscanAmountKnob));
    setKnobValue(remainingWidthKnob,
                 clampedToInt(FrameGeometry::remainingSide(input->format().w(), amount)));
    setKnobValue(remainingHeightKnob,
                 clampedToInt(FrameGeometry::remainingSide(input->format().h(), amount)));
}

void LensCorrection::updateValueOfRecordingFormatKnobs(std::string& failure) {
    const bool manual = knobValue(manualSelectionKnob) != 0.0;
    if (!manual && isMetadataInputConnected()) {
        const RecordedDataSource::Answers answers = RecordedDataSource::record(*dataSource_);
        RecordingFormatDatabase::RecordingFormat format{};
        {
            const std::lock_guard<std::mutex> lock(mainThreadCore_.access);
            mainThreadCore_.answers->replay(answers);
            if (!mainThreadCore_.core.recordingFormat(format)) {
                failure = reportedCoreError(mainThreadCore_.core);
                format = RecordingFormatDatabase::RecordingFormat{};
            }
        }
        setKnobValue(imageAreaWidthKnob, roundedToTwoDecimals(format.sensorWidth));
        setKnobValue(imageAreaHeightKnob, roundedToTwoDecimals(format.sensorHeight));
        setKnobValue(clipWidthKnob, format.pixelWidth);
        setKnobValue(clipHeightKnob, format.pixelHeight);
        setKnobValue(imageDiameterKnob, roundedToTwoDecimals(2.0 * format.sensorRadius));
        return;
    }
    if (!manual) {
        return;
    }
    // The derived side serves the diameter only: the controls keep what the user typed.
    setKnobValue(imageDiameterKnob,
                 manualImageDiameter(knobValue(imageAreaWidthKnob), knobValue(imageAreaHeightKnob),
                                     knobValue(clipWidthKnob), knobValue(clipHeightKnob)));
}

double LensCorrection::manualImageDiameter(double width, double height, double clipWidth,
                                           double clipHeight) {
    return std::min(ManualRecordingFormat::imageDiameter(width, height, clipWidth, clipHeight),
                    ManualRecordingFormat::largestImageDiameter);
}

double LensCorrection::imageDiameter() const {
    return manualImageDiameter(imageAreaWidth_, imageAreaHeight_, clipWidth_, clipHeight_);
}
