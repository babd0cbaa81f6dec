#pragma once

#include "recording_format_database/RecordingFormatDatabase.h"

#include <map>
#include <string>
#include <vector>

namespace RecordingFormatDatabase {

// The recording format table parsed from its semicolon-separated rows
// ("ARRI;AMIRA;ALEV III;16:9 HD;23.76;13.37;1920;1080": manufacturer, model, sensor name,
// format name, sensor width and height in millimetres, pixel width and height).
// Manufacturer and model match ignoring letter case; format names are exact.
class CsvStringBasedRecordingFormatDatabase : public RecordingFormatDatabase {
public:
    // Orders strings ignoring letter case: both lowered byte by byte, then compared as bytes.
    struct iless {
        bool operator()(const std::string& lhs, const std::string& rhs) const;
    };

    // The process-wide instance, built from the compiled-in table on first use.
    static const CsvStringBasedRecordingFormatDatabase* sharedInstance();

    // Builds the lookup from recordingFormatsCsvStringArray.
    CsvStringBasedRecordingFormatDatabase();
    // Builds the lookup from the given rows; a later row with the same manufacturer, model and
    // format name replaces an earlier one. Throws Exception for a row of fewer than eight
    // fields or with a size that is not a positive number.
    explicit CsvStringBasedRecordingFormatDatabase(const std::vector<std::string>& rows);

    void cameraManufacturers(std::vector<std::string>& manufacturers) const override;
    void cameraModels(const std::string& cameraManufacturer,
                      std::vector<std::string>& models) const override;
    void recordingFormats(const std::string& cameraManufacturer, const std::string& cameraModel,
                          std::map<std::string, RecordingFormat>& formats) const override;

private:
    using FormatsByModel = std::map<std::string, std::map<std::string, RecordingFormat>, iless>;

    const FormatsByModel& modelsOf(const std::string& cameraManufacturer) const;

    std::map<std::string, FormatsByModel, iless> formatsByManufacturer_;
};

} // namespace RecordingFormatDatabase
