#pragma once

#include "DDImageStandIn/Node.h"
#include "DDImageStandIn/PassThroughIop.h"
#include "DDImageStandIn/StandInKnob.h"
#include "DDImageStandIn/StandInRead.h"
#include "nuke/LensCorrection.h"

#include <boost/filesystem.hpp>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace NodeScript {

inline std::unique_ptr<Node> correctionNode(const std::string& className) {
    std::unique_ptr<Node> node = Node::create(className);
    if (!node) {
        throw std::runtime_error("no registered node class " + className);
    }
    return node;
}

inline LensCorrection& lensCorrection(const Node& node) {
    return dynamic_cast<LensCorrection&>(*node.op());
}

inline DDImageStandIn::StandInRead& reader(const Node& node) {
    return dynamic_cast<DDImageStandIn::StandInRead&>(*node.op());
}

inline DD::Image::Knob& knob(const Node& node, const std::string& name) {
    DD::Image::Knob* found = node.knob(name);
    if (found == nullptr) {
        throw std::runtime_error("no knob " + name);
    }
    return *found;
}

inline void setKnob(const Node& node, const std::string& name, double value) {
    knob(node, name).set_value(value);
}

inline double knobValue(const Node& node, const std::string& name) {
    return knob(node, name).get_value();
}

// A temporary directory holding A001C003.mov (an ALEXA Mini LF 4448 x 3096 clip of the
// timecodes 10:00:00:00 to 10:00:00:02) with its correction file beside it.
class ClipDirectory {
public:
    ClipDirectory()
        : root_(boost::filesystem::temp_directory_path() /
                boost::filesystem::unique_path("velor-nuke-%%%%-%%%%-%%%%-%%%%")) {
        boost::filesystem::create_directories(root_ / "day1");
        boost::filesystem::copy_file(std::string(VELOR_TEST_DATA_DIR) +
                                         "/correction_file/valid_version3.vlcf",
                                     root_ / "day1" / "A001C003.vlcf");
        std::ofstream(clipPath()) << "not a real clip";
    }
    ~ClipDirectory() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(root_, ignored);
    }
    ClipDirectory(const ClipDirectory&) = delete;
    ClipDirectory& operator=(const ClipDirectory&) = delete;

    const boost::filesystem::path& root() const { return root_; }
    std::string clipPath() const { return (root_ / "day1" / "A001C003.mov").string(); }

    // A Read of the clip's second frame as the host reads ARRI QuickTime.
    std::unique_ptr<Node> read() const {
        std::unique_ptr<Node> node = Node::make<DDImageStandIn::StandInRead>();
        DDImageStandIn::StandInRead& read = reader(*node);
        read.filename(clipPath().c_str());
        read.setFormat(144, 100);
        read.setFrameRange(1, 3);
        read.metadata().setData("quicktime/arri/camera/CameraClipName", "A001C003.mov");
        read.metadata().setData("input/timecode", "10:00:00:01");
        read.metadata().setData("input/frame", 2);
        return node;
    }

private:
    boost::filesystem::path root_;
};

} // namespace NodeScript
