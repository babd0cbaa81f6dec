#include "recording_format_database/RecordingFormatsCsvString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using RecordingFormatDatabase::recordingFormatsCsvStringArray;

namespace {

struct Row {
    std::string manufacturer;
    std::string model;
    std::string sensor;
    std::string format;
    double sensorWidth = 0.0;
    double sensorHeight = 0.0;
    double pixelWidth = 0.0;
    double pixelHeight = 0.0;
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
    double pitch;
    double width;
    double height;
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
        {"Full-Frame CMOS", {0.005936, 36.20, 24.10}},
    };
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

// Manufacturer, model and sensor of each run of rows, with the run's length.
TEST(RecordingFormatTable, HasTheModelsGroupsInOrderWithTheirRowCounts) {
    const std::string expected =
        "ARRI;AMIRA;ALEV III;5\nARRI;ALEXA Classic;ALEV III;3\nARRI;ALEXA XT;ALEV III;8\n"
        "ARRI;ALEXA SXT;ALEV III;12\nARRI;ALEXA Mini;ALEV III;9\nARRI;ALEXA 65;A3X;3\n"
        "ARRI;ALEXA LF;A2X;5\nARRI;ALEXA Mini LF;A2X;5\nBlackMagic;BlackMagic URSA Mini 4.6K;;8\n"
        "RED;WEAPON 8K VV;VV Dragon;108\nRED;WEAPON 8K S35 HELIUM;HELIUM 8K S35;108\n"
        "RED;EPIC-W HELIUM;HELIUM 8K S35;108\nRED;WEAPON 6K DRAGON MC;DRAGON 6K S35;76\n"
        "RED;WEAPON 6K DRAGON CF;DRAGON 6K S35;76\nRED;EPIC 6K DRAGON;DRAGON 6K S35;76\n"
        "RED;SCARLET-W 5K DRAGON;DRAGON 5K;62\nRED;SCARLET 5K DRAGON;DRAGON 5K;27\n"
        "RED;RAVEN 4.5K DRAGON;DRAGON 4.5K;25\nRED;EPIC MYSTERIUM-X 5K;MYSTERIUM-X 5K;16\n"
        "RED;SCARLET-X MYSTERIUM-X 5K;MYSTERIUM-X 5K;16\n"
        "RED;EPIC-X MONOCHROME;MYSTERIUM-X 5K S35 MONOCHROME;16\n"
        "RED;EPIC-X;MYSTERIUM-X 5K S35;16\nRED;SCARLET-X;MYSTERIUM-X 5K S35;16\n"
        "RED;EPIC-M DRAGON MONOCHROME;DRAGON 6K S35 MONOCHROME;76\n"
        "RED;EPIC-M DRAGON;DRAGON 6K S35;76\n"
        "RED;EPIC-X DRAGON MONOCHROME;DRAGON 6K S35 MONOCHROME;76\n"
        "RED;EPIC-X DRAGON;DRAGON 6K S35;76\nRED;SCARLET-X DRAGON;DRAGON 5K S35;27\n"
        "RED;DSMC2 DRAGON 6K S35 (CF);DRAGON 6K S35;76\n"
        "RED;DSMC2 DRAGON 6K S35 MONOCHROME (CF);DRAGON 6K S35 MONOCHROME;76\n"
        "RED;DSMC2 DRAGON 8K VV;DRAGON 8K VV;108\nRED;DSMC2 HELIUM 8K S35;HELIUM 8K S35;109\n"
        "RED;DSMC2 HELIUM 8K S35 MONOCHROME;HELIUM 8K S35;109\n"
        "RED;DSMC2 GEMINI 5K S35;GEMINI 5K S35;62\nRED;DSMC2 MONSTRO 8K VV;MONSTRO 8K VV;109\n"
        "RED;DSMC2 MONSTRO 8K VV MONOCHROME;MONSTRO 8K VV MONOCHROME;109\n"
        "RED;DSMC2 DRAGON 6K S35 MONOCHROME (Mg);DRAGON 6K S35 MONOCHROME;76\n"
        "RED;DSMC2 DRAGON 6K S35 (Mg);DRAGON 6K S35;76\nRED;RED RAVEN 4.5K;DRAGON 4.5K S35;25\n"
        "RED;SCARLET-W 5K MONOCHROME;DRAGON 6K S35 MONOCHROME;62\n"
        "RED;SCARLET-W 5K;DRAGON 6K S35;62\nRED;RED EPIC-W 8K S35;HELIUM 8K S35;109\n"
        "RED;RED EPIC-W 8K S35 MONOCHROME;HELIUM 8K S35 MONOCHROME;109\n"
        "RED;RED EPIC-W 5K S35;GEMINI 5K S35;62\nRED;RANGER MONSTRO 8K VV;MONSTRO 8K VV;109\n"
        "RED;RANGER HELIUM 8K S35;HELIUM 8K S35;109\nRED;RANGER GEMINI 5K S35;GEMINI 5K S35;62\n"
        "Panavision;Panavision DXL;MONSTRO 8K VV;37\nSony;MPC-3610;Full-Frame CMOS;13\n";
    ASSERT_EQ(recordingFormatsCsvStringArray.size(), 2804U);
    std::vector<std::pair<std::string, int>> groups;
    for (const Row& row : tableRows()) {
        const std::string group = row.manufacturer + ";" + row.model + ";" + row.sensor;
        if (groups.empty() || groups.back().first != group) {
            groups.emplace_back(group, 0);
        }
        ++groups.back().second;
    }
    std::string found;
    for (const auto& group : groups) {
        found += group.first + ";" + std::to_string(group.second) + "\n";
    }
    EXPECT_EQ(found, expected);
}

TEST(RecordingFormatTable, HasNoKeysThatDifferOnlyInLetterCase) {
    std::set<std::tuple<std::string, std::string, std::string>> formats;
    std::map<std::string, std::set<std::string>> spellings;
    for (const Row& row : tableRows()) {
        EXPECT_TRUE(
            formats.emplace(lowered(row.manufacturer), lowered(row.model), lowered(row.format))
                .second)
            << "repeated: " << row.manufacturer << ";" << row.model << ";" << row.format;
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
