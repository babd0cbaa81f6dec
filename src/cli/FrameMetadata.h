#pragma once

#include "host_rules/ReadMetadata.h"

#include <OpenImageIO/imageio.h>
#include <OpenImageIO/paramlist.h>

#include <string>

// The metadata of one frame under the keys a compositing host gives a Read:
// every header attribute as "<extension>/<name>" (so "exr/<name>" for EXR),
// the header's SMPTE timecode as "input/timecode", the sequence's frame
// number as "input/frame" and the path as "input/filename".
class FrameMetadata : public ReadMetadata {
public:
    FrameMetadata(const OIIO::ImageSpec& imageSpec, const std::string& filePath, int frameNumber);

    bool text(const std::string& key, std::string& value) const override;
    bool number(const std::string& key, double& value) const override;

    const OIIO::ParamValueList& values() const { return values_; }

private:
    OIIO::ParamValueList values_;
};
