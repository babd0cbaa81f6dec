#include "cli/ImageFile.h"

#include "host_rules/ReadMetadataRules.h"

#include <OpenImageIO/filesystem.h>

std::unique_ptr<OIIO::ImageInput> openImageFile(const std::string& path, OIIO::ImageSpec& layout,
                                                std::string& reason) {
    std::string extension;
    if (ReadMetadataRules::clipFileExtension(path, extension)) {
        std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::create(extension);
        if (input && input->open(path, layout)) {
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
    // Opened again by the reader the probe found, for the header's layout.
    if (!input || !input->close() || !input->open(path, layout)) {
        reason = input ? input->geterror() : OIIO::geterror();
        return nullptr;
    }
    return input;
}
