#pragma once

#include <string>

// The metadata of the frame that a Read loads, as the host exposes it: keys
// such as "input/frame", "input/timecode" or "exr/<attribute>".
class ReadMetadata {
public:
    virtual ~ReadMetadata() = default;

    virtual bool hasKey(const std::string& key) const = 0;
    // The value as text; false when the key is missing.
    virtual bool text(const std::string& key, std::string& value) const = 0;
    // The value as a number; false when the key is missing or not numeric.
    virtual bool number(const std::string& key, double& value) const = 0;

protected:
    ReadMetadata() = default;
    ReadMetadata(const ReadMetadata&) = default;
    ReadMetadata& operator=(const ReadMetadata&) = default;
};
