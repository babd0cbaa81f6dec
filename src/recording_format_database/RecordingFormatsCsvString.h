#pragma once

#include <string>
#include <vector>

namespace RecordingFormatDatabase {

// The text of recording_formats.csv, compiled in.
extern const char* const recordingFormatsCsvText;

// The rows of that text, one string each
// ("manufacturer;model;sensor;format;width mm;height mm;pixel width;pixel height"),
// filled when the library is loaded.
extern const std::vector<std::string> recordingFormatsCsvStringArray;

} // namespace RecordingFormatDatabase
