#pragma once

#include "DDImage/MetaData.h"
#include "host_rules/ReadMetadata.h"

#include <string>

namespace DD {
namespace Image {
class Read;
} // namespace Image
} // namespace DD

// The metadata of the frame a host Read node delivers, taken as a copy.
class ReadNodeMetadata : public ReadMetadata {
public:
    explicit ReadNodeMetadata(DD::Image::Read& read);

    bool text(const std::string& key, std::string& value) const override;
    bool number(const std::string& key, double& value) const override;

private:
    DD::Image::MetaData::Bundle bundle_;
};
