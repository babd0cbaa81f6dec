#include "nuke/ReadNodeMetadata.h"

#include "DDImage/Read.h"

ReadNodeMetadata::ReadNodeMetadata(DD::Image::Read& read) : bundle_(read.fetchMetaData(nullptr)) {}

bool ReadNodeMetadata::text(const std::string& key, std::string& value) const {
    if (bundle_.find(key) == bundle_.end()) {
        return false;
    }
    value = bundle_.getString(key.c_str());
    return true;
}

bool ReadNodeMetadata::number(const std::string& key, double& value) const {
    if (bundle_.find(key) == bundle_.end()) {
        return false;
    }
    value = bundle_.getDouble(key.c_str());
    return true;
}
