#include "cli/ImageFile.h"

#include "nuke/ReadMetadataRules.h"

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
    std::unique_ptr<OIIO::ImageInput> input = OIIO::ImageInput::open(path);
    if (!input) {
        reason = OIIO::geterror();
    }
    return input;
}
