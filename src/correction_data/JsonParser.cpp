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

// A fault of the text, with the detail lines that name it.
class InvalidJsonText : public std::exception {
public:
    explicit InvalidJsonText(std::string detail) : detail_(std::move(detail)) {}
    const char* what() const noexcept override { return detail_.c_str(); }
    const std::string& detail() const { return detail_; }

private:
    std::string detail_;
};

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
                throw InvalidJsonText("Reason: \"The text nests deeper than " +
                                      std::to_string(greatestNestingDepth) + " levels.\"");
            }
        } else if ((character == '}' || character == ']') && depth > 0) {
            --depth;
        }
    }
}

const pt::ptree& childAt(const pt::ptree& tree, const std::string& path) {
    const boost::optional<const pt::ptree&> child = tree.get_child_optional(path);
    if (!child) {
        throw InvalidJsonText("Missing Key: \"" + path + "\"");
    }
    return *child;
}

// The node's value converted by the property tree; `path` and `expected`
// name the value in the failure.
template <typename T>
T valueOf(const pt::ptree& node, const std::string& path, const char* expected) {
    const boost::optional<T> value = node.get_value_optional<T>();
    if (!value) {
        throw InvalidJsonText("Key: \"" + path + "\"\nValue: \"" + node.data() + "\"\nReason: \"" +
                              expected + "\"");
    }
    return *value;
}

const char* const notWholeNumber = "The value is not a whole number of 0 or more.";
const char* const notNumber = "The value is not a number.";

// The children of the node at path, each converted by the property tree; 6
// or 7 of them.
template <typename T>
std::vector<T> as_vector(const pt::ptree& tree, const std::string& path) {
    std::vector<T> values;
    for (const pt::ptree::value_type& child : childAt(tree, path)) {
        values.push_back(valueOf<T>(child.second, path, notNumber));
    }
    if (values.size() != 6 && values.size() != 7) {
        throw InvalidJsonText("Key: \"" + path + "\"\nReason: \"The list holds " +
                              std::to_string(values.size()) + " points; it needs 6 or 7.\"");
    }
    return values;
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

        const auto text = [&tree](const std::string& path) {
            return valueOf<std::string>(childAt(tree, path), path, "");
        };
        const auto whole = [&tree](const std::string& path) {
            return valueOf<unsigned int>(childAt(tree, path), path, notWholeNumber);
        };
        parsedHeader.camera.manufacturer = text("recordingFormat.camera.manufacturer");
        parsedHeader.camera.model = text("recordingFormat.camera.model");
        parsedHeader.clip.width = whole("recordingFormat.clipResolution.width");
        parsedHeader.clip.height = whole("recordingFormat.clipResolution.height");
        const float imageRadius = valueOf<float>(childAt(tree, "recordingFormat.imageRadius"),
                                                 "recordingFormat.imageRadius", notNumber);

        const float width = static_cast<float>(parsedHeader.clip.width);
        const float height = static_cast<float>(parsedHeader.clip.height);
        const float halfDiagonal = 0.5F * std::sqrt(width * width + height * height);
        parsedHeader.camera.sensorWidth = width * (imageRadius / halfDiagonal);

        parsedFrame.interpolationPoints.heights =
            as_vector<float>(tree, "frameData.interpolationPoints.heights");
        parsedFrame.interpolationPoints.shading =
            as_vector<float>(tree, "frameData.interpolationPoints.shading");
        parsedFrame.interpolationPoints.radialDistortion =
            as_vector<float>(tree, "frameData.interpolationPoints.radialDistortion");
    } catch (const InvalidJsonText& error) {
        throw Exception(invalidFormatBrief, error.detail());
    } catch (const pt::json_parser_error& error) {
        throw Exception(invalidFormatBrief, "Line Number: " + std::to_string(error.line()) +
                                                "\nReason: \"" + error.message() + "\"");
    } catch (const std::exception&) {
        throw Exception(invalidFormatBrief);
    }
    header = std::move(parsedHeader);
    frame = std::move(parsedFrame);
}

} // namespace CorrectionData
