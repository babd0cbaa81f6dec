#include "cli/FrameMetadata.h"

#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/strutil.h>

FrameMetadata::FrameMetadata(const OIIO::ImageSpec& imageSpec, const std::string& filePath,
                             int frameNumber) {
    std::string extension;
    if (!ReadMetadataRules::clipFileExtension(filePath, extension)) {
        extension = "input";
    }
    const std::string prefix = extension + "/";
    for (const OIIO::ParamValue& attribute : imageSpec.extra_attribs) {
        const std::string name = attribute.name().string();
        // OpenImageIO's own bookkeeping is not part of the file's header.
        if (OIIO::Strutil::starts_with(name, "oiio:")) {
            continue;
        }
        values_.emplace_back(prefix + name, attribute.type(), attribute.nvalues(),
                             attribute.interp(), attribute.data());
    }
    const OIIO::ParamValue* timecode =
        imageSpec.find_attribute("smpte:TimeCode", OIIO::TypeTimeCode);
    if (timecode != nullptr) {
        values_.attribute("input/timecode", timecode->get_string());
    }
    values_.attribute("input/frame", frameNumber);
    values_.attribute("input/filename", filePath);
}

bool FrameMetadata::text(const std::string& key, std::string& value) const {
    const auto found = values_.find(key);
    if (found == values_.cend()) {
        return false;
    }
    value = found->get_string();
    return true;
}

bool FrameMetadata::number(const std::string& key, double& value) const {
    const auto found = values_.find(key);
    if (found == values_.cend() || found->nvalues() != 1) {
        return false;
    }
    const OIIO::TypeDesc type = found->type();
    if (type.basetype == OIIO::TypeDesc::STRING) {
        const std::string text = found->get_string();
        if (!OIIO::Strutil::string_is<double>(text)) {
            return false;
        }
        value = OIIO::Strutil::from_string<double>(text);
        return true;
    }
    if (type.aggregate != OIIO::TypeDesc::SCALAR || type.arraylen != 0) {
        return false;
    }
    value = type.is_floating_point() ? static_cast<double>(found->get_float())
                                     : static_cast<double>(found->get_int());
    return true;
}
