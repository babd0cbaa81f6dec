#include "metadata_database/CameraManufacturerContainerFormatMismatchException.h"
#include "metadata_database/CsvStringBasedMetadataDatabase.h"
#include "metadata_database/MetadataKeysCsvString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using MetadataDatabase::CameraManufacturerContainerFormatMismatchException;
using MetadataDatabase::CsvStringBasedMetadataDatabase;
using MetadataDatabase::MetadataKind;

namespace {

const CsvStringBasedMetadataDatabase& database() {
    return *CsvStringBasedMetadataDatabase::sharedInstance();
}

std::string keyFor(MetadataKind kind, const std::string& manufacturer,
                   const std::string& container) {
    std::string key;
    database().keyForKind(kind, manufacturer, container, key);
    return key;
}

// Expects the lookup to throw the mismatch exception, to leave the output alone, and returns
// the exception's detailed description.
std::string failureOf(const CsvStringBasedMetadataDatabase& keys, MetadataKind kind,
                      const std::string& manufacturer, const std::string& container) {
    std::string key = "unchanged";
    try {
        keys.keyForKind(kind, manufacturer, container, key);
    } catch (const CameraManufacturerContainerFormatMismatchException& error) {
        EXPECT_EQ(key, "unchanged");
        return error.detailedDescription();
    }
    ADD_FAILURE() << "no exception for " << manufacturer << ", " << container;
    return {};
}

const std::string brief =
    "Camera manufacturer and container format could not be found in the recording format "
    "database.\n";

} // namespace

TEST(MetadataKeyTable, HoldsTheFifteenRowsInOrder) {
    const std::vector<std::string> expected = {
        "ClipFileName;RED;R3D;r3d/reel_id_full",
        "ClipFileName;RED;MOV;quicktime/red/camera/ClipFilename",
        "ClipFileName;ARRI;MXF;arri/camera/CameraClipName",
        "ClipFileName;ARRI;EXR;exr/interim.clip.cameraClipName",
        "ClipFileName;ARRI;MOV;quicktime/arri/camera/CameraClipName",
        "ClipFileName;ARRI;ARI;arri/camera/CameraClipName",
        "ClipFileName;Sony;MOV;quicktime/apple/proapps/reel",
        "Timecode;RED;R3D;r3d/start_absolute_timecode",
        "Timecode;RED;EXR;input/timecode",
        "Timecode;RED;MOV;input/timecode",
        "Timecode;ARRI;MXF;input/timecode",
        "Timecode;ARRI;EXR;input/timecode",
        "Timecode;ARRI;MOV;input/timecode",
        "Timecode;ARRI;ARI;input/timecode",
        "Timecode;Sony;MOV;input/timecode"};
    EXPECT_EQ(MetadataDatabase::metadataKeysCsvStringArray, expected);
}

TEST(MetadataKeyLookup, FindsEveryRowOfTheTable) {
    for (const std::string& row : MetadataDatabase::metadataKeysCsvStringArray) {
        const auto first = row.find(';');
        const auto second = row.find(';', first + 1);
        const auto third = row.find(';', second + 1);
        const std::string kindName = row.substr(0, first);
        const MetadataKind kind =
            kindName == "Timecode" ? MetadataKind::Timecode : MetadataKind::ClipFileName;
        EXPECT_EQ(keyFor(kind, row.substr(first + 1, second - first - 1),
                         row.substr(second + 1, third - second - 1)),
                  row.substr(third + 1))
            << row;
    }
}

TEST(MetadataKeyLookup, MatchesManufacturerAndContainerIgnoringCase) {
    EXPECT_EQ(keyFor(MetadataKind::ClipFileName, "red", "mov"),
              "quicktime/red/camera/ClipFilename");
    EXPECT_EQ(keyFor(MetadataKind::Timecode, "Arri", "ari"), "input/timecode");
    EXPECT_EQ(keyFor(MetadataKind::ClipFileName, "aRrI", "Exr"), "exr/interim.clip.cameraClipName");
    EXPECT_EQ(keyFor(MetadataKind::Timecode, "RED", "EXR"), "input/timecode");
}

TEST(MetadataKeyLookup, ReportsUnknownCombinationsWithTheirValues) {
    EXPECT_EQ(failureOf(database(), MetadataKind::ClipFileName, "RED", "EXR"),
              brief + "Metadata Kind: \"ClipFileName\"\nCamera Manufacturer: \"RED\"\n"
                      "Container Format: \"EXR\"\n");
    EXPECT_EQ(failureOf(database(), MetadataKind::Timecode, "Sony", "EXR"),
              brief + "Metadata Kind: \"Timecode\"\nCamera Manufacturer: \"Sony\"\n"
                      "Container Format: \"EXR\"\n");
    EXPECT_EQ(failureOf(database(), MetadataKind::Timecode, "Canon", "mov"),
              brief + "Metadata Kind: \"Timecode\"\nCamera Manufacturer: \"Canon\"\n"
                      "Container Format: \"mov\"\n");
    EXPECT_FALSE(failureOf(database(), MetadataKind::Timecode, "", "MOV").empty());
    EXPECT_FALSE(failureOf(database(), MetadataKind::Timecode, "ARRI", "").empty());
    EXPECT_FALSE(failureOf(database(), MetadataKind::Timecode, "ARRI ", "MXF").empty());
    EXPECT_FALSE(failureOf(database(), MetadataKind::Timecode, "ARRI", "MXF ").empty());
}

TEST(MetadataKeyLookup, ReportsAKindOutsideTheEnumerationByItsNumber) {
    EXPECT_EQ(failureOf(database(), static_cast<MetadataKind>(7), "ARRI", "MXF"),
              brief + "Metadata Kind: \"7\"\nCamera Manufacturer: \"ARRI\"\n"
                      "Container Format: \"MXF\"\n");
}

TEST(MetadataKeyRows, LaterRowsWinAndKindNamesMatchExactly) {
    const CsvStringBasedMetadataDatabase keys(
        {"Timecode;ARRI;MXF;first", "Timecode;arri;mxf;second;ignored;fields",
         "timecode;Sony;MOV;lower-case kind", "ClipFileName;;MXF;empty manufacturer"});
    std::string key;
    keys.keyForKind(MetadataKind::Timecode, "Arri", "Mxf", key);
    EXPECT_EQ(key, "second");
    keys.keyForKind(MetadataKind::ClipFileName, "", "mxf", key);
    EXPECT_EQ(key, "empty manufacturer");
    EXPECT_FALSE(failureOf(keys, MetadataKind::Timecode, "Sony", "MOV").empty());
}

TEST(MetadataKeyRows, RejectsARowOfFewerThanFourFields) {
    try {
        const CsvStringBasedMetadataDatabase keys({"Timecode;ARRI;MXF"});
        ADD_FAILURE() << "a row of three fields was accepted";
    } catch (const Exception& error) {
        EXPECT_EQ(error.detailedDescription(),
                  "The metadata key table is damaged. Rebuild the plug-in from an unmodified "
                  "source.\nRow: \"Timecode;ARRI;MXF\"\n");
    }
}

TEST(MetadataKeyOrdering, IgnoresCaseAndComparesBytesUnsigned) {
    const CsvStringBasedMetadataDatabase::iless less;
    EXPECT_FALSE(less("RED", "red"));
    EXPECT_FALSE(less("red", "Red"));
    EXPECT_TRUE(less("ARRI", "ARRI "));
    EXPECT_FALSE(less("ARRI ", "arri"));
    EXPECT_TRUE(less("arri", "RED"));
    EXPECT_TRUE(less("Zeiss", "\xC3\xA9"));
    EXPECT_FALSE(less("\xC3\xA9", "Zeiss"));
}

TEST(MetadataKeySharedInstance, IsBuiltOnceWhenManyThreadsAskAtOnce) {
    constexpr int threadCount = 16;
    std::vector<const CsvStringBasedMetadataDatabase*> instances(threadCount, nullptr);
    std::atomic<int> waiting{threadCount};
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index) {
        threads.emplace_back([&instances, &waiting, index] {
            // Release all threads together so that their first calls overlap.
            --waiting;
            while (waiting.load() > 0) {
                std::this_thread::yield();
            }
            instances[index] = CsvStringBasedMetadataDatabase::sharedInstance();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ASSERT_NE(instances.front(), nullptr);
    for (const auto* instance : instances) {
        EXPECT_EQ(instance, instances.front());
    }
    EXPECT_EQ(CsvStringBasedMetadataDatabase::sharedInstance(), instances.front());
}
