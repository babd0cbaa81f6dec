#include "DDImageStandIn/StandInRead.h"

#include "DDImage/Knobs.h"
#include "DDImageStandIn/Node.h"

namespace DDImageStandIn {

StandInRead::StandInRead(Node* node) : Read(node) {}

void StandInRead::setFormat(int width, int height) {
    format_ = DD::Image::Format(width, height);
    box_ = DD::Image::Box(0, 0, width, height);
}

void StandInRead::setFormat(const DD::Image::Format& format) {
    format_ = format;
    box_ = format;
}

void StandInRead::knobs(DD::Image::Knob_Callback f) {
    File_knob(f, &file_, "file", "file", DD::Image::Read_File_Proxy);
    File_knob(f, &proxy_, "proxy", "proxy", DD::Image::Read_File_Proxy);
}

void StandInRead::setFiles(const std::string& file, const std::string& proxy, int frame,
                           bool proxyMode) {
    knob("file")->set_text(file.c_str());
    knob("proxy")->set_text(proxy.c_str());
    frame_for_reader(frame);
    // The host expands "#" runs; that is all the stand-in does.
    std::string name = proxyMode && !proxy.empty() ? proxy : file;
    const size_t hashes = name.find('#');
    if (hashes != std::string::npos) {
        const size_t end = name.find_first_not_of('#', hashes);
        const size_t width = (end == std::string::npos ? name.size() : end) - hashes;
        std::string number = std::to_string(frame);
        number.insert(0, width > number.size() ? width - number.size() : 0, '0');
        name.replace(hashes, width, number);
    }
    filename(name.c_str());
}

void StandInRead::setFrameRange(int first, int last, int offset) {
    readerFirstFrame_ = first;
    readerLastFrame_ = last;
    offset_ = offset;
}

const DD::Image::MetaData::Bundle& StandInRead::_fetchMetaData(const char* /*keyname*/) {
    if (mainThreadMetadata_) {
        Node::runOnMainThread([] {});
    }
    return metadata_;
}

void StandInRead::renderStripe(DD::Image::ImagePlane& plane) {
    plane.makeWritable();
    const DD::Image::Box bounds = plane.bounds();
    const DD::Image::ChannelSet channels = plane.channels();
    int index = 0;
    foreach (channel, channels) {
        const int c = static_cast<int>(channel) - 1;
        for (int y = bounds.y(); y < bounds.t(); ++y) {
            for (int x = bounds.x(); x < bounds.r(); ++x) {
                plane.writableAt(x, y, index) =
                    pixels_ && channels_.contains(channel) ? pixels_(x, y, c) : 0.0F;
            }
        }
        ++index;
    }
}

void StandInRead::_validate(bool /*for_real*/) {
    info_.format(format_);
    info_.setBox(box_);
    info_.channels(channels_);
    info_.setFrameRange(readerFirstFrame_ + offset_, readerLastFrame_ + offset_);
}

} // namespace DDImageStandIn
