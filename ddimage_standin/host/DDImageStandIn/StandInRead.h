#pragma once

#include "DDImage/Read.h"

#include <functional>
#include <string>
#include <vector>

namespace DDImageStandIn {

// A Read whose file, frame range, format, box, channels, metadata and pixels a test sets.
// Like the host's Read it has the knobs "file" and "proxy" (file names with a frame number
// pattern); filename() is the file read for the current frame, the proxy file in proxy mode.
class StandInRead : public DD::Image::Read {
public:
    // Value at pixel (x, y) of the channel numbered c + 1 (0 = rgba.red, 4 = depth.Z).
    using Pixels = std::function<float(int x, int y, int c)>;

    explicit StandInRead(Node* node);

    void setFormat(int width, int height);
    void setBox(const DD::Image::Box& box) { box_ = box; }
    void setFormat(const DD::Image::Format& format);
    // The file's frame range, and the Read's offset from it.
    void setFrameRange(int first, int last, int offset = 0);
    void setChannels(const DD::Image::ChannelSet& channels) { channels_ = channels; }
    // Metadata delivered through the main thread, as host calls that need it are.
    void setMetadataFromMainThread(bool onMainThread) { mainThreadMetadata_ = onMainThread; }
    void setPixels(Pixels pixels) {
        pixels_ = std::move(pixels);
        ++pixelsVersion_;
    }
    DD::Image::MetaData::Bundle& metadata() { return metadata_; }

    // The file names of the Read's knobs, the frame and proxy mode: they make filename(), which
    // the host expands as a Read does: runs of "#" and printf's "%d" and "%0Nd" give the file
    // frame number, "%V" and "%v" the view's name and its first letter, "$NAME" and "${NAME}"
    // environment variables. In proxy mode with a proxy name set, the proxy file is read.
    void setFiles(const std::string& file, const std::string& proxy, int frame, bool proxyMode);
    // The script's views and the one of the output context.
    void setViews(std::vector<std::string> names, int current);
    // The "file" knob evaluated for a file frame and a view, as the host's
    // File_Knob.getEvaluatedValue does.
    std::string evaluatedFile(int frame, int view) const;

    void knobs(DD::Image::Knob_Callback f) override;
    // What a file's content is to the host's hash: the file read, its layout and metadata, and a
    // new value whenever the test gives it new pixels.
    void append(DD::Image::Hash& hash) override;
    const DD::Image::MetaData::Bundle& _fetchMetaData(const char* keyname) override;
    void renderStripe(DD::Image::ImagePlane& plane) override;
    PackedPreference packedPreference() const override { return ePackedPreferencePacked; }

protected:
    void _validate(bool for_real) override;

private:
    DD::Image::Format format_{0, 0};
    DD::Image::Box box_{0, 0, 0, 0};
    int offset_ = 0;
    DD::Image::ChannelSet channels_{DD::Image::Mask_RGBA};
    bool mainThreadMetadata_ = false;
    const char* file_ = nullptr;
    const char* proxy_ = nullptr;
    std::vector<std::string> views_{"main"};
    Pixels pixels_;
    unsigned pixelsVersion_ = 0;
    DD::Image::MetaData::Bundle metadata_;
};

} // namespace DDImageStandIn
