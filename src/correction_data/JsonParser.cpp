#include "correction_data/JsonParser.h"

#include "foundation/Exception.h"

// The JSON reader of Boost 1.74 includes the deprecated <boost/bind.hpp>,
// which otherwise asks for this choice with a message on every build.
#ifndef BOOST_BIND_GLOBAL_PLACEHOLDERS
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#endif
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <cmath>
#include <cstddef>
#include <exception>
#include <sstream>
#include <utility>
#include <vector>

namespace CorrectionData {

namespace {

namespace pt = boost::property_tree;

const char* const invalidFormatBrief = "JSON metadata string has an invalid format.";

// Deeper nesting than this is refused before the (recursive) JSON reader sees
// the text, so that a hostile text cannot exhaust the stack. The form read
// here nests four levels.
const std::size_t greatestNestingDepth = 256;

class InvalidJsonText : public std::exception {};

void checkNestingDepth(const std::string& json) {
    std::size_t depth = 0;
    bool insideString = false;
    bool escaped = false;
    for (const char character : json) {
        if (insideString) {
            if (escaped) {
                escaped = false;
            } else if (character == '\\') {
                escaped = true;
            } else if (character == '"') {
                insideString = false;
            }
        } else if (character == '"') {
            insideString = true;
        } else if (character == '{' || character == '[') {
            if (++depth > greatestNestingDepth) {
                throw InvalidJsonText();
            }
        } else if ((character == '}' || character == ']') && depth > 0) {
            --depth;
        }
    }
}

// The children of the node at path, each converted by the property tree.
template <typename T>
std::vector<T> as_vector(const pt::ptree& tree, const pt::ptree::path_type& path) {
    std::vector<T> values;
    for (const pt::ptree::value_type& child : tree.get_child(path)) {
        values.push_back(child.second.get_value<T>());
    }
    return values;
}

void checkPointCount(const std::vector<float>& values) {
    if (values.size() != 6 && values.size() != 7) {
        throw InvalidJsonText();
    }
}

} // namespace

void JsonParser::parse(const std::string& json, Header& header, Frame& frame) {
    Header parsedHeader;
    Frame parsedFrame;
    try {
        checkNestingDepth(json);
        std::istringstream stream(json);
        pt::ptree tree;
        pt::read_json(stream, tree);

        parsedHeader.camera.manufacturer =
            tree.get_child("recordingFormat.camera.manufacturer").get_value<std::string>();
        parsedHeader.camera.model =
            tree.get_child("recordingFormat.camera.model").get_value<std::string>();
        parsedHeader.clip.width =
            tree.get_child("recordingFormat.clipResolution.width").get_value<unsigned int>();
        parsedHeader.clip.height =
            tree.get_child("recordingFormat.clipResolution.height").get_value<unsigned int>();
        const float imageRadius = tree.get_child("recordingFormat.imageRadius").get_value<float>();

        const float width = static_cast<float>(parsedHeader.clip.width);
        const float height = static_cast<float>(parsedHeader.clip.height);
        const float halfDiagonal = 0.5F * std::sqrt(width * width + height * height);
        parsedHeader.camera.sensorWidth = width * (imageRadius / halfDiagonal);

        parsedFrame.interpolationPoints.heights =
            as_vector<float>(tree, "frameData.interpolationPoints.heights");
        checkPointCount(parsedFrame.interpolationPoints.heights);
        parsedFrame.interpolationPoints.shading =
            as_vector<float>(tree, "frameData.interpolationPoints.shading");
        checkPointCount(parsedFrame.interpolationPoints.shading);
        parsedFrame.interpolationPoints.radialDistortion =
            as_vector<float>(tree, "frameData.interpolationPoints.radialDistortion");
        checkPointCount(parsedFrame.interpolationPoints.radialDistortion);
    } catch (const std::exception&) {
        throw Exception(invalidFormatBrief);
    }
    header = std::move(parsedHeader);
    frame = std::move(parsedFrame);
}

} // namespace CorrectionData
