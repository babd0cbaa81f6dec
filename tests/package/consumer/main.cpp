// Sizes an undistorted frame through the installed facade, with a correction
// file and a clip named on the command line; prints the frame size.
#include <velor/core/Core.h>
#include <velor/core/Queries.h>
#include <velor/foundation/Exception.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <string>

namespace {

class FileDataSource : public Core::CoreDataSource {
public:
    FileDataSource(std::string file, std::string clip)
        : file_(std::move(file)), clip_(std::move(clip)) {}

    bool frameMetadata(char*, size_t) const override { return false; }
    bool correctionFilePath(char* buffer, size_t size) const override {
        return copy(file_, buffer, size);
    }
    bool clipFileName(char* buffer, size_t size) const override {
        return copy(clip_.substr(clip_.find_last_of('/') + 1), buffer, size);
    }
    bool clipFilePath(char* buffer, size_t size) const override {
        return copy(clip_, buffer, size);
    }
    bool frameData(Core::FrameData& frame) const override {
        frame.frameNumber = 0;
        frame.width = 4448;
        frame.height = 3096;
        return true;
    }
    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter&) const override {
        return false;
    }
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override {
        parameter.reverse = false;
        parameter.outputMap = false;
        return true;
    }
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat&) const override { return false; }

private:
    static bool copy(const std::string& text, char* buffer, size_t size) {
        if (text.size() + 1 > size) {
            return false;
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }
    std::string file_;
    std::string clip_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: package_consumer FILE.vlcf CLIP\n";
        return 2;
    }
    try {
        const CorrectionData::Content content = Core::Queries::readCorrectionFile(argv[1]);
        std::cout << "frames " << content.frames.size() << "\n";
    } catch (const Exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    Core::Core core(std::make_unique<FileDataSource>(argv[1], argv[2]));
    unsigned int width = 0;
    unsigned int height = 0;
    if (!core.frameSize(width, height)) {
        char brief[4096] = {};
        core.briefErrorDescription(brief, sizeof brief);
        std::cerr << brief << "\n";
        return 1;
    }
    std::cout << "undistorted " << width << "x" << height << "\n";
    return 0;
}
