#include "DDImageStandIn/StandInRead.h"

#include "DDImage/Knobs.h"
#include "DDImageStandIn/Node.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <utility>

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

namespace {

std::string padded(int number, size_t width) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    digits.insert(0, width > digits.size() ? width - digits.size() : 0, '0');
    return (number < 0 ? "-" : "") + digits;
}

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// A file name pattern as the host expands it for a frame and a view.
std::string expanded(const std::string& pattern, int frame, const std::string& view) {
    std::string name;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '#') {
            const size_t end = std::min(pattern.find_first_not_of('#', i), pattern.size());
            name += padded(frame, end - i);
            i = end;
        } else if (c == '%' && i + 1 < pattern.size() &&
                   (pattern[i + 1] == 'V' || pattern[i + 1] == 'v')) {
            name += pattern[i + 1] == 'V' ? view : view.substr(0, 1);
            i += 2;
        } else if (c == '%') {
            size_t end = i + 1;
            while (end < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[end]))) {
                ++end;
            }
            if (end < pattern.size() && pattern[end] == 'd') {
                name +=
                    padded(frame, end > i + 1 ? std::stoul(pattern.substr(i + 1, end - i - 1)) : 0);
                i = end + 1;
            } else {
                name += pattern[i++];
            }
        } else if (c == '$') {
            const bool braced = i + 1 < pattern.size() && pattern[i + 1] == '{';
            size_t start = i + (braced ? 2 : 1);
            size_t end = start;
            while (end < pattern.size() && isNameCharacter(pattern[end])) {
                ++end;
            }
            const char* value = std::getenv(pattern.substr(start, end - start).c_str());
            name += value != nullptr ? value : "";
            i = braced && end < pattern.size() && pattern[end] == '}' ? end + 1 : end;
        } else {
            name += pattern[i++];
        }
    }
    return name;
}

} // namespace

void StandInRead::setFiles(const std::string& file, const std::string& proxy, int frame,
                           bool proxyMode) {
    knob("file")->set_text(file.c_str());
    knob("proxy")->set_text(proxy.c_str());
    frame_for_reader(frame);
    const std::string& view = views_.at(static_cast<size_t>(outputContext().view()));
    filename(expanded(proxyMode && !proxy.empty() ? proxy : file, frame, view).c_str());
}

void StandInRead::setViews(std::vector<std::string> names, int current) {
    views_ = std::move(names);
    DD::Image::OutputContext context = outputContext();
    context.setView(current);
    setOutputContext(context);
}

std::string StandInRead::evaluatedFile(int frame, int view) const {
    return expanded(knob("file")->get_text(), frame, views_.at(static_cast<size_t>(view)));
}

void StandInRead::setFrameRange(int first, int last, int offset) {
    readerFirstFrame_ = first;
    readerLastFrame_ = last;
    offset_ = offset;
}

void StandInRead::append(DD::Image::Hash& hash) {
    hash.append(std::string(filename()));
    hash.append(frame_for_reader());
    hash.append(format_.x());
    hash.append(format_.y());
    hash.append(format_.r());
    hash.append(format_.t());
    hash.append(box_.x());
    hash.append(box_.y());
    hash.append(box_.r());
    hash.append(box_.t());
    hash.append(offset_);
    hash.append(pixelsVersion_);
    for (const auto& entry : metadata_) {
        hash.append(entry.first);
        hash.append(metadata_.getString(entry.first.c_str()));
    }
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
