#pragma once

#include "core/FrameRequest.h"
#include "correction_data/Content.h"
#include "host_rules/FrameGeometry.h"
#include "recording_format_database/RecordingFormat.h"

#include <OpenImageIO/imageio.h>

#include <map>
#include <optional>
#include <string>

// What info finds out, for its text and its JSON alike.
namespace InfoQueries {

// The recording format the core derives for the request; none, with the
// core's brief description in `failure`, when it cannot.
std::optional<RecordingFormatDatabase::RecordingFormat>
recordingFormat(const Core::FrameRequest& request, std::string& failure);

// The frame as undistortion (`reverse` false) or distortion grows it around
// its format, as the correcting commands grow it; none, with the core's brief
// description in `failure`, when the core cannot size it.
std::optional<FrameGeometry> grownFrame(Core::FrameRequest request, const FrameGeometry& geometry,
                                        bool reverse, std::string& failure);

// What the tool reads from an image's header to find its correction data.
struct ImageFacts {
    Core::FrameRequest request;
    std::string timecode;
    bool hasJson = false;
};
ImageFacts imageFacts(const std::string& path, const OIIO::ImageSpec& imageSpec);

// The geometry of an image's data window around its format.
FrameGeometry geometryOf(const OIIO::ImageSpec& imageSpec);

// The correction file the search around a clip finds. Throws Exception.
std::string correctionFileOfClip(const std::string& clipPath);

// The record shown: the one numbered `number`, else the one the timecode
// selects, else the first. Throws Exception when `number` names none.
std::map<unsigned int, CorrectionData::Frame>::const_iterator
shownRecord(const CorrectionData::Content& content, const std::optional<unsigned int>& number,
            const std::string& timecode);

} // namespace InfoQueries
