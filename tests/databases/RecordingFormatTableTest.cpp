#include "recording_format_database/RecordingFormatsCsvString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using RecordingFormatDatabase::recordingFormatsCsvStringArray;

namespace {

struct Row {
    std::string manufacturer, model, sensor, format;
    double sensorWidth, sensorHeight, pixelWidth, pixelHeight;
};

std::vector<Row> tableRows() {
    std::vector<Row> rows;
    for (const std::string& text : recordingFormatsCsvStringArray) {
        std::istringstream stream(text);
        std::vector<std::string> fields;
        for (std::string field; std::getline(stream, field, ';');) {
            fields.push_back(field);
        }
        if (fields.size() != 8) {
            ADD_FAILURE() << "not eight fields: " << text;
            continue;
        }
        rows.push_back({fields[0], fields[1], fields[2], fields[3], std::stod(fields[4]),
                        std::stod(fields[5]), std::stod(fields[6]), std::stod(fields[7])});
    }
    return rows;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Pixel pitch and full photosite area of each sensor, millimetres.
struct Sensor {
    double pitch, width, height;
};

const std::map<std::string, Sensor>& sensors() {
    static const std::map<std::string, Sensor> all = {
        {"ALEV III", {0.00825, 28.25, 18.17}},
        {"A2X", {0.00825, 36.70, 25.54}},
        {"A3X", {0.00825, 54.12, 25.58}},
        {"", {0.0055, 25.34, 14.25}}, // BlackMagic URSA Mini 4.6K
        {"VV Dragon", {0.005, 40.96, 21.60}},
        {"DRAGON 8K VV", {0.005, 40.96, 21.60}},
        {"MONSTRO 8K VV", {0.005, 40.96, 21.60}},
        {"MONSTRO 8K VV MONOCHROME", {0.005, 40.96, 21.60}},
        {"HELIUM 8K S35", {0.00365, 29.90, 15.77}},
        {"HELIUM 8K S35 MONOCHROME", {0.00365, 29.90, 15.77}},
        {"DRAGON 6K S35", {0.005, 30.72, 15.80}},
        {"DRAGON 6K S35 MONOCHROME", {0.005, 30.72, 15.80}},
        // The 5K DRAGON bodies use a window of the 6K chip.
        {"DRAGON 5K", {0.005, 30.72, 15.80}},
        {"DRAGON 5K S35", {0.005, 30.72, 15.80}},
        {"DRAGON 4.5K", {0.005, 23.04, 10.80}},
        {"DRAGON 4.5K S35", {0.005, 23.04, 10.80}},
        {"GEMINI 5K S35", {0.006, 30.72, 18.00}},
        {"MYSTERIUM-X 5K", {0.0054, 27.70, 14.60}},
        {"MYSTERIUM-X 5K S35", {0.0054, 27.70, 14.60}},
        {"MYSTERIUM-X 5K S35 MONOCHROME", {0.0054, 27.70, 14.60}},
        {"Full-Frame CMOS", {0.005936, 36.20, 24.10}}};
    return all;
}

// ARRI formats recorded at another pixel size than the photosite area they read out (ProRes
// scaling); the anamorphic ones also de-squeeze by two.
const std::set<std::string> arriScaledFormats = {
    "16:9 S16 HD",      "16:9 HD",     "16:9 2K",
    "4:3 2K",           "16:9 4K UHD", "Open Gate 4K Cine",
    "LF 16:9 2K",       "LF 16:9 HD",  "6:5 4K Cine Anamorphic",
    "6:5 2K Anamorphic"};

bool near(double value, double expected, double tolerance) {
    return std::abs(value / expected - 1.0) <= tolerance;
}

} // namespace

TEST(RecordingFormatTable, HasNoKeysThatDifferOnlyInLetterCase) {
    std::set<std::string> formats;
    std::map<std::string, std::set<std::string>> spellings;
    for (const Row& row : tableRows()) {
        const std::string key = row.manufacturer + ";" + row.model + ";" + row.format;
        EXPECT_TRUE(formats.insert(lowered(key)).second) << "repeated: " << key;
        spellings[lowered(row.manufacturer)].insert(row.manufacturer);
        spellings[lowered(row.manufacturer) + ";" + lowered(row.model)].insert(row.model);
    }
    for (const auto& spelling : spellings) {
        EXPECT_EQ(spelling.second.size(), 1U) << spelling.first;
    }
}

// Each row's sensor area must be the photosite area of its pixel size at the sensor's pitch;
// ARRI's scaled formats must at least keep their aspect ratio. Every area lies on the sensor.
TEST(RecordingFormatTable, SensorAreasAgreeWithPixelSizesAtTheSensorsPitch) {
    constexpr double tolerance = 0.015;
    for (const Row& row : tableRows()) {
        const std::string name = row.manufacturer + ";" + row.model + ";" + row.format;
        const auto sensor = sensors().find(row.sensor);
        ASSERT_NE(sensor, sensors().end()) << "unknown sensor in " << name;
        EXPECT_LE(row.sensorWidth, sensor->second.width * 1.005) << name;
        EXPECT_LE(row.sensorHeight, sensor->second.height * 1.005) << name;

        const double areaAspect = row.sensorWidth / row.sensorHeight;
        const double pixelAspect = row.pixelWidth / row.pixelHeight;
        const bool scaled = row.manufacturer == "ARRI" && arriScaledFormats.count(row.format) > 0;
        const bool squeezed = scaled && row.format.find("Anamorphic") != std::string::npos;
        EXPECT_TRUE(near(pixelAspect, squeezed ? 2.0 * areaAspect : areaAspect, tolerance))
            << name << ": aspect " << pixelAspect << " for an area of " << areaAspect;
        if (!scaled) {
            EXPECT_TRUE(near(row.sensorWidth / sensor->second.pitch, row.pixelWidth, tolerance))
                << name;
            EXPECT_TRUE(near(row.sensorHeight / sensor->second.pitch, row.pixelHeight, tolerance))
                << name;
        }
    }
}
