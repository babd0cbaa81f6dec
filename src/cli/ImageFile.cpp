#include "cli/ImageFile.h"

#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/filesystem.h>

std::unique_ptr<OIIO::ImageInput> openImageFile(const std::string& path, std::string& reason) {
    std::string extension;
    if (ReadMetadataRules::clipFileExtension(path, extension)) {
        std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::create(extension);
        OIIO::ImageSpec ignored;
        if (input && input->open(path, ignored)) {
            return input;
        }
        if (input) {
            input->geterror();
        }
        OIIO::geterror();
    }
    // Probing the formats in turn holds a lock of OpenImageIO's, and a pipe or
    // device would block it: only regular files are probed.
    if (!OIIO::Filesystem::is_regular(path)) {
        reason = "Not a regular file.";
        return nullptr;
    }
    std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::open(path);
    if (!input) {
        reason = OIIO::geterror();
    }
    return input;
}
