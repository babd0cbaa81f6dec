#pragma once

#include "DDImage/Iop.h"
#include "DDImage/Knob.h"
#include "DDImage/MetaData.h"
#include "DDImage/PlanarIop.h"

#include <string>

namespace DD {
namespace Image {

// The host's file reader node.
class DDImage_API Read : public PlanarIop {
public:
    Read(Node* node = nullptr);
    ~Read() override;

    const char* filename() const { return filename_.c_str(); }
    void filename(const char* f) { filename_ = f != nullptr ? f : ""; }
    const char* getFilename() const { return filename(); }
    // The frame range of the file as its reader sees it; the Read's image
    // information (info().first_frame()) is that range moved by the Read's
    // frame offset.
    int first_frame() const { return readerFirstFrame_; }
    int last_frame() const { return readerLastFrame_; }
    // The frame number in the file name of the current frame.
    int frame_for_reader() const { return frameForReader_; }
    void frame_for_reader(int frame) { frameForReader_ = frame; }

    static const char* CLASS;
    const char* Class() const override { return CLASS; }
    const char* node_help() const override;

    void renderStripe(ImagePlane& plane) override;

protected:
    int readerFirstFrame_ = 1;
    int readerLastFrame_ = 1;
    int frameForReader_ = 1;

private:
    std::string filename_;
};

} // namespace Image
} // namespace DD
