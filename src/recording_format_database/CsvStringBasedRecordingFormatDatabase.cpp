#include "recording_format_database/CsvStringBasedRecordingFormatDatabase.h"

#include "foundation/Exception.h"
#include "recording_format_database/CameraManufacturerModelMismatchException.h"
#include "recording_format_database/CameraManufacturerNotFoundException.h"
#include "recording_format_database/RecordingFormatsCsvString.h"

#include <boost/algorithm/string/finder.hpp>
#include <boost/algorithm/string/iter_find.hpp>
#include <boost/lexical_cast.hpp>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace RecordingFormatDatabase {

namespace {

std::string lowered(std::string text) {
    for (char& character : text) {
        // Through unsigned char: tolower is undefined for negative values other than EOF.
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    return text;
}

Exception damagedRow(const std::string& row) {
    return Exception(
        "The recording format table is damaged. Rebuild the plug-in from an unmodified source.",
        "Row: \"" + row + "\"");
}

// The whole field as a positive, finite number of millimetres.
float millimetresIn(const std::string& field, const std::string& row) {
    float value = 0.0F;
    if (!boost::conversion::try_lexical_convert(field, value) || !std::isfinite(value) ||
        value <= 0.0F) {
        throw damagedRow(row);
    }
    return value;
}

// The whole field as a positive number of pixels.
std::uint32_t pixelsIn(const std::string& field, const std::string& row) {
    std::uint32_t value = 0;
    // lexical_cast would wrap a negative number around instead of refusing it.
    if (field.empty() || field.front() == '-' ||
        !boost::conversion::try_lexical_convert(field, value) || value == 0) {
        throw damagedRow(row);
    }
    return value;
}

} // namespace

bool CsvStringBasedRecordingFormatDatabase::iless::operator()(const std::string& lhs,
                                                              const std::string& rhs) const {
    // std::string compares its characters as unsigned bytes.
    return lowered(lhs) < lowered(rhs);
}

const CsvStringBasedRecordingFormatDatabase*
CsvStringBasedRecordingFormatDatabase::sharedInstance() {
    static std::once_flag created;
    // Never destroyed, so that it stays valid for host threads still running at unload.
    static const CsvStringBasedRecordingFormatDatabase* instance = nullptr;
    std::call_once(created, [] {
        // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
        instance = new CsvStringBasedRecordingFormatDatabase();
    });
    return instance;
}

CsvStringBasedRecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase()
    : CsvStringBasedRecordingFormatDatabase(recordingFormatsCsvStringArray) {}

CsvStringBasedRecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase(
    const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
        std::vector<std::string> fields;
        boost::algorithm::iter_split(fields, row, boost::algorithm::first_finder(";"));
        if (fields.size() < 8) {
            throw damagedRow(row);
        }
        RecordingFormat format;
        format.sensorWidth = millimetresIn(fields[4], row);
        format.sensorHeight = millimetresIn(fields[5], row);
        format.pixelWidth = pixelsIn(fields[6], row);
        format.pixelHeight = pixelsIn(fields[7], row);
        format.sensorRadius = sensorRadiusFor(format.sensorWidth, format.sensorHeight);
        formatsByManufacturer_[fields[0]][fields[1]][fields[3]] = format;
    }
}

void CsvStringBasedRecordingFormatDatabase::cameraManufacturers(
    std::vector<std::string>& manufacturers) const {
    std::vector<std::string> names;
    names.reserve(formatsByManufacturer_.size());
    for (const auto& manufacturer : formatsByManufacturer_) {
        names.push_back(manufacturer.first);
    }
    manufacturers.swap(names);
}

void CsvStringBasedRecordingFormatDatabase::cameraModels(const std::string& cameraManufacturer,
                                                         std::vector<std::string>& models) const {
    const FormatsByModel& formatsByModel = modelsOf(cameraManufacturer);
    std::vector<std::string> names;
    names.reserve(formatsByModel.size());
    for (const auto& model : formatsByModel) {
        names.push_back(model.first);
    }
    models.swap(names);
}

void CsvStringBasedRecordingFormatDatabase::recordingFormats(
    const std::string& cameraManufacturer, const std::string& cameraModel,
    std::map<std::string, RecordingFormat>& formats) const {
    const FormatsByModel& formatsByModel = modelsOf(cameraManufacturer);
    const auto found = formatsByModel.find(cameraModel);
    if (found == formatsByModel.end()) {
        throw CameraManufacturerModelMismatchException(cameraManufacturer, cameraModel);
    }
    std::map<std::string, RecordingFormat> copy = found->second;
    formats.swap(copy);
}

const CsvStringBasedRecordingFormatDatabase::FormatsByModel&
CsvStringBasedRecordingFormatDatabase::modelsOf(const std::string& cameraManufacturer) const {
    const auto found = formatsByManufacturer_.find(cameraManufacturer);
    if (found == formatsByManufacturer_.end()) {
        throw CameraManufacturerNotFoundException(cameraManufacturer);
    }
    return found->second;
}

} // namespace RecordingFormatDatabase
