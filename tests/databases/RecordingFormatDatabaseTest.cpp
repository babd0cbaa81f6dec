#include "recording_format_database/CameraManufacturerModelMismatchException.h"
#include "recording_format_database/CameraManufacturerNotFoundException.h"
#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

using RecordingFormatDatabase::CameraManufacturerModelMismatchException;
using RecordingFormatDatabase::CameraManufacturerNotFoundException;
using RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase;
using RecordingFormatDatabase::RecordingFormat;
using Formats = std::map<std::string, RecordingFormat>;

namespace {

const CsvStringBasedRecordingFormatDatabase& database() {
    return *CsvStringBasedRecordingFormatDatabase::sharedInstance();
}

Formats formatsOf(const std::string& manufacturer, const std::string& model) {
    Formats formats;
    database().recordingFormats(manufacturer, model, formats);
    return formats;
}

std::vector<std::string> keysOf(const Formats& formats) {
    std::vector<std::string> keys;
    for (const auto& format : formats) {
        keys.push_back(format.first);
    }
    return keys;
}

// Expects the action to throw ExpectedException and returns its detailed description.
template <typename ExpectedException, typename Action>
std::string failureOf(Action action) {
    try {
        action();
    } catch (const ExpectedException& error) {
        return error.detailedDescription();
    }
    ADD_FAILURE() << "the expected exception was not thrown";
    return {};
}

void expectFormat(const RecordingFormat& format, float width, float height,
                  std::uint32_t pixelWidth, std::uint32_t pixelHeight) {
    EXPECT_EQ(format.sensorWidth, width);
    EXPECT_EQ(format.sensorHeight, height);
    EXPECT_EQ(format.pixelWidth, pixelWidth);
    EXPECT_EQ(format.pixelHeight, pixelHeight);
    EXPECT_EQ(format.sensorRadius, RecordingFormatDatabase::sensorRadiusFor(width, height));
}

const std::string notFoundBrief =
    "Camera manufacturer could not be found in the recording format database.\n";
const std::string mismatchBrief =
    "Camera manufacturer and model could not be found in the recording format database.\n";

} // namespace

TEST(SensorRadius, IsHalfTheDiagonalRoundedToFloat) {
    EXPECT_EQ(RecordingFormatDatabase::sensorRadiusFor(13.2F, 7.43F), 7.5737190F);
    EXPECT_NEAR(RecordingFormatDatabase::sensorRadiusFor(23.76F, 13.37F), 13.6317, 1e-4);
    EXPECT_EQ(RecordingFormatDatabase::sensorRadiusFor(6.0F, 8.0F), 5.0F);
}

TEST(RecordingFormatListing, ListsManufacturersAndModelsIgnoringCase) {
    std::vector<std::string> manufacturers;
    database().cameraManufacturers(manufacturers);
    EXPECT_EQ(manufacturers,
              (std::vector<std::string>{"ARRI", "BlackMagic", "Panavision", "RED", "Sony"}));

    std::vector<std::string> models = {"replaced"};
    database().cameraModels("sony", models);
    EXPECT_EQ(models, std::vector<std::string>{"MPC-3610"});
    database().cameraModels("arri", models);
    EXPECT_EQ(models,
              (std::vector<std::string>{"ALEXA 65", "ALEXA Classic", "ALEXA LF", "ALEXA Mini",
                                        "ALEXA Mini LF", "ALEXA SXT", "ALEXA XT", "AMIRA"}));
}

TEST(RecordingFormatListing, ReportsAnUnknownManufacturerAndLeavesTheOutputAlone) {
    std::vector<std::string> models = {"unchanged"};
    EXPECT_EQ(failureOf<CameraManufacturerNotFoundException>(
                  [&models] { database().cameraModels("Canon", models); }),
              notFoundBrief + "Camera Manufacturer: \"Canon\"\n");
    EXPECT_EQ(models, std::vector<std::string>{"unchanged"});
}

TEST(RecordingFormatLookup, ReturnsTheModelsFormatsInByteOrder) {
    const Formats formats = formatsOf("arri", "alexa mini");
    EXPECT_EQ(keysOf(formats),
              (std::vector<std::string>{"16:9 2K", "16:9 3.2K", "16:9 4K UHD", "16:9 HD",
                                        "16:9 S16 HD", "4:3 2.8K", "RAW 16:9 2.8K", "RAW 4:3 2.8K",
                                        "RAW Open Gate 3.4K"}));
    expectFormat(formats.at("16:9 S16 HD"), 13.2F, 7.43F, 1920, 1080);
    expectFormat(formats.at("16:9 HD"), 23.76F, 13.37F, 1920, 1080);
}

TEST(RecordingFormatLookup, HoldsTheRowsNumbers) {
    const RecordingFormat amiraHd = formatsOf("ARRI", "AMIRA").at("16:9 HD");
    expectFormat(amiraHd, 23.76F, 13.37F, 1920, 1080);
    EXPECT_NEAR(amiraHd.sensorRadius, 13.6317, 1e-4);
    expectFormat(formatsOf("Sony", "MPC-3610").at("4K 2.39:1"), 24.30F, 10.3F, 4096, 1716);
}

TEST(RecordingFormatLookup, MatchesFormatNamesByCaseAndKeepsEmptySensorRows) {
    const Formats formats = formatsOf("blackmagic", "BLACKMAGIC URSA MINI 4.6K");
    EXPECT_EQ(formats.size(), 8U);
    ASSERT_EQ(formats.count("4.6k (16:9)"), 1U);
    EXPECT_EQ(formats.count("4.6K (16:9)"), 0U);
    expectFormat(formats.at("4.6k (16:9)"), 25.34F, 14.25F, 4608, 2592);
    expectFormat(formats.at("3072 x 2560 (3K Anamorphic)"), 16.89F, 14.07F, 3072, 2560);
}

TEST(RecordingFormatLookup, ReportsUnknownManufacturerOrModelAndLeavesTheOutputAlone) {
    Formats formats = {{"unchanged", RecordingFormat{}}};
    EXPECT_EQ(failureOf<CameraManufacturerModelMismatchException>(
                  [&formats] { database().recordingFormats("ARRI", "AMIRA ", formats); }),
              mismatchBrief + "Camera Manufacturer: \"ARRI\"\nCamera Model: \"AMIRA \"\n");
    EXPECT_EQ(failureOf<CameraManufacturerNotFoundException>(
                  [&formats] { database().recordingFormats("Canon", "C300", formats); }),
              notFoundBrief + "Camera Manufacturer: \"Canon\"\n");
    EXPECT_EQ(failureOf<CameraManufacturerModelMismatchException>(
                  [&formats] { database().recordingFormats("red", "", formats); }),
              mismatchBrief + "Camera Manufacturer: \"red\"\nCamera Model: \"\"\n");
    EXPECT_EQ(keysOf(formats), std::vector<std::string>{"unchanged"});
}

TEST(RecordingFormatRows, LaterRowsWinAcrossLetterCase) {
    const CsvStringBasedRecordingFormatDatabase formats({"Acme;One;;Wide;10;5;1000;500",
                                                         "acme;ONE;sensor;Wide;20;10;2000;1000",
                                                         "ACME;one;;wide;1;1;1;1"});
    Formats found;
    formats.recordingFormats("Acme", "One", found);
    ASSERT_EQ(keysOf(found), (std::vector<std::string>{"Wide", "wide"}));
    expectFormat(found.at("Wide"), 20.0F, 10.0F, 2000, 1000);
    std::vector<std::string> manufacturers;
    formats.cameraManufacturers(manufacturers);
    EXPECT_EQ(manufacturers, std::vector<std::string>{"Acme"});
}

TEST(RecordingFormatRows, RejectsRowsThatAreNotCompleteOrNotPositiveNumbers) {
    for (const char* row : {"Acme;One;;Wide;10;5;1000", "Acme;One;;Wide;10 ;5;1000;500",
                            "Acme;One;;Wide;x;5;1000;500", "Acme;One;;Wide;10;5;-1000;500",
                            "Acme;One;;Wide;10;5;1000;0", "Acme;One;;Wide;0;5;1000;500",
                            "Acme;One;;Wide;nan;5;1000;500", "Acme;One;;Wide;10;5;1000.5;500",
                            "Acme;One;;Wide;10;5;1000;4294967296"}) {
        EXPECT_EQ(failureOf<Exception>([row] { CsvStringBasedRecordingFormatDatabase{{row}}; }),
                  "The recording format table is damaged. Rebuild the plug-in from an "
                  "unmodified source.\nRow: \"" +
                      std::string(row) + "\"\n");
    }
}

TEST(RecordingFormatSharedInstance, IsBuiltOnceWhenManyThreadsAskAtOnce) {
    constexpr int threadCount = 16;
    std::vector<const CsvStringBasedRecordingFormatDatabase*> instances(threadCount, nullptr);
    std::atomic<int> waiting{threadCount};
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index) {
        threads.emplace_back([&instances, &waiting, index] {
            // Release all threads together so that their first calls overlap.
            --waiting;
            while (waiting.load() > 0) {
                std::this_thread::yield();
            }
            instances[index] = CsvStringBasedRecordingFormatDatabase::sharedInstance();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_NE(instances.front(), nullptr);
    for (const auto* instance : instances) {
        EXPECT_EQ(instance, instances.front());
    }
    EXPECT_EQ(CsvStringBasedRecordingFormatDatabase::sharedInstance(), instances.front());
}
