// Any text given to the correction file parser either parses or fails with
// InvalidFormatException, and a failure leaves the caller's content as it was.
#include "correction_file/InvalidFormatException.h"
#include "correction_file/Parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CorrectionFile::Parser parser;
    CorrectionData::Content content;
    content.frames[7].timecode = "sentinel";
    try {
        parser.parse(text, content);
        for (const auto& entry : content.frames) {
            if (entry.first != entry.second.number) {
                std::abort();
            }
        }
    } catch (const CorrectionFile::InvalidFormatException& error) {
        if (content.frames.size() != 1 || content.frames.at(7).timecode != "sentinel" ||
            std::string(error.what()).empty()) {
            std::abort();
        }
    }
    CorrectionData::Header header;
    try {
        parser.parseHeader(text, header);
    } catch (const CorrectionFile::InvalidFormatException&) {
    }
    return 0;
}
