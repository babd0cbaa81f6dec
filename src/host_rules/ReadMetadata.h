#pragma once

#include <string>

// The metadata of the frame a reader delivers, by key: the host's Read node
// in the plug-in, the image file in the command-line tool.
class ReadMetadata {
public:
    virtual ~ReadMetadata() = default;

    // The value as text; false when the key is absent.
    virtual bool text(const std::string& key, std::string& value) const = 0;
    // The value as a number; false when the key is absent.
    virtual bool number(const std::string& key, double& value) const = 0;

protected:
    ReadMetadata() = default;
    ReadMetadata(const ReadMetadata&) = default;
    ReadMetadata& operator=(const ReadMetadata&) = default;
};
