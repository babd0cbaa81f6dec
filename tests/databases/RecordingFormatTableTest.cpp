#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"
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

std::vector<std::string> fieldsOf(const std::string& row) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (auto end = row.find(';'); end != std::string::npos; end = row.find(';', start)) {
        fields.push_back(row.substr(start, end - start));
        start = end + 1;
    }
    fields.push_back(row.substr(start));
    return fields;
}

std::vector<Row> tableRows() {
    std::vector<Row> rows;
    for (const std::string& text : recordingFormatsCsvStringArray) {
        const std::vector<std::string> fields = fieldsOf(text);
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

struct Group {
    std::string manufacturer;
    std::string model;
    std::string sensor;
    int rows;
    bool operator==(const Group& other) const {
        return std::tie(manufacturer, model, sensor, rows) ==
               std::tie(other.manufacturer, other.model, other.sensor, other.rows);
    }
};

std::ostream& operator<<(std::ostream& stream, const Group& group) {
    return stream << group.manufacturer << " / " << group.model << " / " << group.sensor << ": "
                  << group.rows;
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

TEST(RecordingFormatTable, HasTheModelsGroupsInOrderWithTheirRowCounts) {
    const std::vector<Group> expected = {
        {"ARRI", "AMIRA", "ALEV III", 5},
        {"ARRI", "ALEXA Classic", "ALEV III", 3},
        {"ARRI", "ALEXA XT", "ALEV III", 8},
        {"ARRI", "ALEXA SXT", "ALEV III", 12},
        {"ARRI", "ALEXA Mini", "ALEV III", 9},
        {"ARRI", "ALEXA 65", "A3X", 3},
        {"ARRI", "ALEXA LF", "A2X", 5},
        {"ARRI", "ALEXA Mini LF", "A2X", 5},
        {"BlackMagic", "BlackMagic URSA Mini 4.6K", "", 8},
        {"RED", "WEAPON 8K VV", "VV Dragon", 108},
        {"RED", "WEAPON 8K S35 HELIUM", "HELIUM 8K S35", 108},
        {"RED", "EPIC-W HELIUM", "HELIUM 8K S35", 108},
        {"RED", "WEAPON 6K DRAGON MC", "DRAGON 6K S35", 76},
        {"RED", "WEAPON 6K DRAGON CF", "DRAGON 6K S35", 76},
        {"RED", "EPIC 6K DRAGON", "DRAGON 6K S35", 76},
        {"RED", "SCARLET-W 5K DRAGON", "DRAGON 5K", 62},
        {"RED", "SCARLET 5K DRAGON", "DRAGON 5K", 27},
        {"RED", "RAVEN 4.5K DRAGON", "DRAGON 4.5K", 25},
        {"RED", "EPIC MYSTERIUM-X 5K", "MYSTERIUM-X 5K", 16},
        {"RED", "SCARLET-X MYSTERIUM-X 5K", "MYSTERIUM-X 5K", 16},
        {"RED", "EPIC-X MONOCHROME", "MYSTERIUM-X 5K S35 MONOCHROME", 16},
        {"RED", "EPIC-X", "MYSTERIUM-X 5K S35", 16},
        {"RED", "SCARLET-X", "MYSTERIUM-X 5K S35", 16},
        {"RED", "EPIC-M DRAGON MONOCHROME", "DRAGON 6K S35 MONOCHROME", 76},
        {"RED", "EPIC-M DRAGON", "DRAGON 6K S35", 76},
        {"RED", "EPIC-X DRAGON MONOCHROME", "DRAGON 6K S35 MONOCHROME", 76},
        {"RED", "EPIC-X DRAGON", "DRAGON 6K S35", 76},
        {"RED", "SCARLET-X DRAGON", "DRAGON 5K S35", 27},
        {"RED", "DSMC2 DRAGON 6K S35 (CF)", "DRAGON 6K S35", 76},
        {"RED", "DSMC2 DRAGON 6K S35 MONOCHROME (CF)", "DRAGON 6K S35 MONOCHROME", 76},
        {"RED", "DSMC2 DRAGON 8K VV", "DRAGON 8K VV", 108},
        {"RED", "DSMC2 HELIUM 8K S35", "HELIUM 8K S35", 109},
        {"RED", "DSMC2 HELIUM 8K S35 MONOCHROME", "HELIUM 8K S35", 109},
        {"RED", "DSMC2 GEMINI 5K S35", "GEMINI 5K S35", 62},
        {"RED", "DSMC2 MONSTRO 8K VV", "MONSTRO 8K VV", 109},
        {"RED", "DSMC2 MONSTRO 8K VV MONOCHROME", "MONSTRO 8K VV MONOCHROME", 109},
        {"RED", "DSMC2 DRAGON 6K S35 MONOCHROME (Mg)", "DRAGON 6K S35 MONOCHROME", 76},
        {"RED", "DSMC2 DRAGON 6K S35 (Mg)", "DRAGON 6K S35", 76},
        {"RED", "RED RAVEN 4.5K", "DRAGON 4.5K S35", 25},
        {"RED", "SCARLET-W 5K MONOCHROME", "DRAGON 6K S35 MONOCHROME", 62},
        {"RED", "SCARLET-W 5K", "DRAGON 6K S35", 62},
        {"RED", "RED EPIC-W 8K S35", "HELIUM 8K S35", 109},
        {"RED", "RED EPIC-W 8K S35 MONOCHROME", "HELIUM 8K S35 MONOCHROME", 109},
        {"RED", "RED EPIC-W 5K S35", "GEMINI 5K S35", 62},
        {"RED", "RANGER MONSTRO 8K VV", "MONSTRO 8K VV", 109},
        {"RED", "RANGER HELIUM 8K S35", "HELIUM 8K S35", 109},
        {"RED", "RANGER GEMINI 5K S35", "GEMINI 5K S35", 62},
        {"Panavision", "Panavision DXL", "MONSTRO 8K VV", 37},
        {"Sony", "MPC-3610", "Full-Frame CMOS", 13},
    };
    ASSERT_EQ(recordingFormatsCsvStringArray.size(), 2804U);
    std::vector<Group> groups;
    for (const Row& row : tableRows()) {
        if (groups.empty() || groups.back().manufacturer != row.manufacturer ||
            groups.back().model != row.model || groups.back().sensor != row.sensor) {
            groups.push_back({row.manufacturer, row.model, row.sensor, 0});
        }
        ++groups.back().rows;
    }
    EXPECT_EQ(groups, expected);
}

TEST(RecordingFormatTable, HoldsTheKnownRowsExactly) {
    const auto& rows = recordingFormatsCsvStringArray;
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front(), "ARRI;AMIRA;ALEV III;16:9 S16 HD;13.2;7.43;1920;1080");
    EXPECT_EQ(rows.back(), "Sony;MPC-3610;Full-Frame CMOS;5.7K 16:9;33.70;18.9;5674;3192");
    for (const char* known : {
             "BlackMagic;BlackMagic URSA Mini 4.6K;;4.6k (16:9);25.34;14.25;4608;2592",
             "ARRI;ALEXA Mini;ALEV III;16:9 S16 HD;13.2;7.43;1920;1080",
             "ARRI;ALEXA Mini;ALEV III;16:9 HD;23.76;13.37;1920;1080",
             "ARRI;ALEXA Mini;ALEV III;4:3 2.8K;23.76;17.82;2880;2160",
             "ARRI;ALEXA Mini;ALEV III;RAW 4:3 2.8K;23.76;17.82;2880;2160",
             "Sony;MPC-3610;Full-Frame CMOS;4K 2.39:1;24.30;10.3;4096;1716",
             "BlackMagic;BlackMagic URSA Mini 4.6K;;3072 x 2560 (3K Anamorphic);16.89;14.07;3072;"
             "2560",
             "ARRI;AMIRA;ALEV III;16:9 HD;23.76;13.37;1920;1080",
         }) {
        EXPECT_EQ(std::count(rows.begin(), rows.end(), known), 1) << known;
    }
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

TEST(RecordingFormatTable, LoadsEveryRowIntoTheDatabase) {
    std::map<std::pair<std::string, std::string>, std::vector<Row>> rowsPerModel;
    for (const Row& row : tableRows()) {
        rowsPerModel[{row.manufacturer, row.model}].push_back(row);
    }
    const auto* database =
        RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase::sharedInstance();
    for (const auto& model : rowsPerModel) {
        std::map<std::string, RecordingFormatDatabase::RecordingFormat> formats;
        database->recordingFormats(model.first.first, model.first.second, formats);
        EXPECT_EQ(formats.size(), model.second.size()) << model.first.second;
        for (const Row& row : model.second) {
            const auto& format = formats.at(row.format);
            EXPECT_FLOAT_EQ(format.sensorWidth, static_cast<float>(row.sensorWidth));
            EXPECT_FLOAT_EQ(format.sensorHeight, static_cast<float>(row.sensorHeight));
            EXPECT_EQ(format.pixelWidth, row.pixelWidth);
            EXPECT_EQ(format.pixelHeight, row.pixelHeight);
        }
    }
}
