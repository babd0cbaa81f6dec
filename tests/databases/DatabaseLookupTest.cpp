#include "foundation/Exception.h"
#include "metadata_database/CsvStringBasedMetadataDatabase.h"
#include "metadata_database/MetadataKeysCsvString.h"
#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

using MetadataDatabase::CsvStringBasedMetadataDatabase;
using MetadataDatabase::MetadataKind;
using RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase;
using RecordingFormatDatabase::RecordingFormat;
using Formats = std::map<std::string, RecordingFormat>;

namespace {

const CsvStringBasedRecordingFormatDatabase& formatDatabase() {
    return *CsvStringBasedRecordingFormatDatabase::sharedInstance();
}

const CsvStringBasedMetadataDatabase& keyDatabase() {
    return *CsvStringBasedMetadataDatabase::sharedInstance();
}

Formats formatsOf(const CsvStringBasedRecordingFormatDatabase& database,
                  const std::string& manufacturer, const std::string& model) {
    Formats formats;
    database.recordingFormats(manufacturer, model, formats);
    return formats;
}

std::string keyFor(const CsvStringBasedMetadataDatabase& database, MetadataKind kind,
                   const std::string& manufacturer, const std::string& container) {
    std::string key;
    database.keyForKind(kind, manufacturer, container, key);
    return key;
}

// Threads released together ask for the shared instance; all must get the same one.
template <typename Database>
void expectOneInstanceForManyThreads() {
    constexpr int threadCount = 16;
    std::vector<const Database*> instances(threadCount, nullptr);
    std::atomic<int> waiting{threadCount};
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index) {
        threads.emplace_back([&instances, &waiting, index] {
            --waiting;
            while (waiting.load() > 0) {
                std::this_thread::yield();
            }
            instances[index] = Database::sharedInstance();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_NE(instances.front(), nullptr);
    for (const Database* instance : instances) {
        EXPECT_EQ(instance, instances.front());
    }
}

} // namespace

TEST(RecordingFormatLookup, MatchesManufacturerAndModelIgnoringCaseButFormatNamesExactly) {
    std::vector<std::string> names;
    formatDatabase().cameraManufacturers(names);
    EXPECT_EQ(names, (std::vector<std::string>{"ARRI", "BlackMagic", "Panavision", "RED", "Sony"}));
    formatDatabase().cameraModels("sony", names);
    EXPECT_EQ(names, std::vector<std::string>{"MPC-3610"});

    const Formats formats = formatsOf(formatDatabase(), "blackmagic", "BLACKMAGIC URSA MINI 4.6K");
    EXPECT_EQ(formats.count("4.6K (16:9)"), 0U);
    const RecordingFormat& format = formats.at("4.6k (16:9)");
    EXPECT_EQ(format.sensorWidth, 25.34F);
    EXPECT_EQ(format.pixelHeight, 2592U);
    EXPECT_NEAR(format.sensorRadius, 14.5360, 1e-4);
}

TEST(MetadataKeyLookup, FindsEveryRowOfTheTableIgnoringCase) {
    for (const std::string& row : MetadataDatabase::metadataKeysCsvStringArray) {
        const auto first = row.find(';');
        const auto second = row.find(';', first + 1);
        const auto third = row.find(';', second + 1);
        const MetadataKind kind = row.substr(0, first) == "Timecode" ? MetadataKind::Timecode
                                                                     : MetadataKind::ClipFileName;
        EXPECT_EQ(keyFor(keyDatabase(), kind, row.substr(first + 1, second - first - 1),
                         row.substr(second + 1, third - second - 1)),
                  row.substr(third + 1))
            << row;
    }
    EXPECT_EQ(keyFor(keyDatabase(), MetadataKind::ClipFileName, "aRrI", "Exr"),
              "exr/interim.clip.cameraClipName");
}

// Names match ignoring case, ordered by unsigned bytes; format and kind names match exactly.
TEST(RecordingFormatLookup, LaterRowsWinAcrossLetterCase) {
    const Formats formats =
        formatsOf(CsvStringBasedRecordingFormatDatabase({"Acme;One;;Wide;10;5;1000;500",
                                                         "acme;ONE;sensor;Wide;20;10;2000;1000",
                                                         "ACME;one;;wide;1;1;1;1"}),
                  "Acme", "One");
    ASSERT_EQ(formats.size(), 2U);
    EXPECT_EQ(formats.at("Wide").pixelWidth, 2000U);
    EXPECT_EQ(formats.at("wide").pixelWidth, 1U);
}

TEST(MetadataKeyLookup, LaterRowsWinAcrossLetterCase) {
    const CsvStringBasedMetadataDatabase keys(
        {"Timecode;ARRI;MXF;first", "Timecode;arri;mxf;second;ignored;fields",
         "timecode;Sony;MOV;lower-case kind", "ClipFileName;;MXF;empty manufacturer"});
    EXPECT_EQ(keyFor(keys, MetadataKind::Timecode, "Arri", "Mxf"), "second");
    EXPECT_EQ(keyFor(keys, MetadataKind::ClipFileName, "", "mxf"), "empty manufacturer");
    EXPECT_THROW(keyFor(keys, MetadataKind::Timecode, "Sony", "MOV"), Exception);

    const CsvStringBasedMetadataDatabase::iless less;
    EXPECT_FALSE(less("red", "Red"));
    EXPECT_TRUE(less("arri", "RED"));
    EXPECT_TRUE(less("Zeiss", "\xC3\xA9"));
    EXPECT_FALSE(less("\xC3\xA9", "Zeiss"));
}

// Each failure with the text the user sees.
void expectFailures(const std::vector<std::pair<std::function<void()>, std::string>>& cases) {
    for (const auto& failure : cases) {
        try {
            failure.first();
            ADD_FAILURE() << "no exception for " << failure.second;
        } catch (const Exception& error) {
            EXPECT_EQ(error.detailedDescription(), failure.second);
        }
    }
}

// Lookups that fail leave their output alone.
TEST(RecordingFormatFailures, ReportTheirValuesAndLeaveTheOutputAlone) {
    std::vector<std::string> models = {"unchanged"};
    Formats formats = {{"unchanged", RecordingFormat{}}};
    std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&models] { formatDatabase().cameraModels("Canon", models); },
         "Camera manufacturer could not be found in the recording format database.\n"
         "Camera Manufacturer: \"Canon\"\n"},
        {[&formats] { formatDatabase().recordingFormats("ARRI", "AMIRA ", formats); },
         "Camera manufacturer and model could not be found in the recording format database.\n"
         "Camera Manufacturer: \"ARRI\"\nCamera Model: \"AMIRA \"\n"},
    };
    // Rows that are not complete or hold sizes that are not positive numbers.
    for (const std::string row :
         {"Acme;One;;Wide;10;5;1000", "Acme;One;;Wide;nan;5;1000;500", "Acme;One;;Wide;10;5;1000;0",
          "Acme;One;;Wide;10;5;1000;4294967296"}) {
        cases.emplace_back([row] { CsvStringBasedRecordingFormatDatabase{{row}}; },
                           "The recording format table is damaged. Rebuild the plug-in from an "
                           "unmodified source.\nRow: \"" +
                               row + "\"\n");
    }
    expectFailures(cases);
    EXPECT_EQ(models, std::vector<std::string>{"unchanged"});
    EXPECT_EQ(formats.size(), 1U);
    EXPECT_EQ(formats.count("unchanged"), 1U);
}

TEST(MetadataKeyFailures, ReportTheirValuesAndLeaveTheOutputAlone) {
    std::string key = "unchanged";
    const std::string noKey = "Camera manufacturer and container format could not be found in "
                              "the recording format database.\nMetadata Kind: ";
    const auto lookUp = [&key](MetadataKind kind, const char* container) {
        return [&key, kind, container] { keyDatabase().keyForKind(kind, "RED", container, key); };
    };
    expectFailures({
        {lookUp(MetadataKind::ClipFileName, "EXR"),
         noKey + "\"ClipFileName\"\nCamera Manufacturer: \"RED\"\nContainer Format: \"EXR\"\n"},
        {lookUp(static_cast<MetadataKind>(7), "R3D"),
         noKey + "\"7\"\nCamera Manufacturer: \"RED\"\nContainer Format: \"R3D\"\n"},
        {[] { CsvStringBasedMetadataDatabase{{"Timecode;ARRI;MXF"}}; },
         "The metadata key table is damaged. Rebuild the plug-in from an unmodified source.\n"
         "Row: \"Timecode;ARRI;MXF\"\n"},
    });
    EXPECT_EQ(key, "unchanged");
}

TEST(RecordingFormatSharedInstance, IsBuiltOnceWhenManyThreadsAskAtOnce) {
    expectOneInstanceForManyThreads<CsvStringBasedRecordingFormatDatabase>();
}

TEST(MetadataKeySharedInstance, IsBuiltOnceWhenManyThreadsAskAtOnce) {
    expectOneInstanceForManyThreads<CsvStringBasedMetadataDatabase>();
}
