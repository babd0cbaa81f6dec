#include "metadata_database/CsvStringBasedMetadataDatabase.h"

#include "foundation/Exception.h"
#include "metadata_database/CameraManufacturerContainerFormatMismatchException.h"
#include "metadata_database/MetadataKeysCsvString.h"

#include <boost/algorithm/string/finder.hpp>
#include <boost/algorithm/string/iter_find.hpp>

#include <cctype>
#include <mutex>

namespace MetadataDatabase {

namespace {

std::string lowered(std::string text) {
    for (char& character : text) {
        // Through unsigned char: tolower is undefined for negative values other than EOF.
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    return text;
}

// The name of a kind as it stands in the table's first column. A value outside the enumeration
// gets its number, which no row carries, so that it is reported as not found.
std::string kindNameOf(MetadataKind kind) {
    switch (kind) {
    case MetadataKind::ClipFileName:
        return "ClipFileName";
    case MetadataKind::Timecode:
        return "Timecode";
    }
    return std::to_string(static_cast<int>(kind));
}

} // namespace

bool CsvStringBasedMetadataDatabase::iless::operator()(const std::string& lhs,
                                                       const std::string& rhs) const {
    // std::string compares its characters as unsigned bytes.
    return lowered(lhs) < lowered(rhs);
}

const CsvStringBasedMetadataDatabase* CsvStringBasedMetadataDatabase::sharedInstance() {
    static std::once_flag created;
    // Never destroyed, so that it stays valid for host threads still running at unload.
    static const CsvStringBasedMetadataDatabase* instance = nullptr;
    std::call_once(created, [] {
        instance = new CsvStringBasedMetadataDatabase(); // NOLINT(cppcoreguidelines-owning-memory)
    });
    return instance;
}

CsvStringBasedMetadataDatabase::CsvStringBasedMetadataDatabase()
    : CsvStringBasedMetadataDatabase(metadataKeysCsvStringArray) {}

CsvStringBasedMetadataDatabase::CsvStringBasedMetadataDatabase(
    const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
        std::vector<std::string> fields;
        boost::algorithm::iter_split(fields, row, boost::algorithm::first_finder(";"));
        if (fields.size() < 4) {
            throw Exception("The metadata key table is damaged. Rebuild the plug-in from an "
                            "unmodified source.",
                            "Row: \"" + row + "\"");
        }
        keysByKindName_[fields[0]][fields[1]][fields[2]] = fields[3];
    }
}

void CsvStringBasedMetadataDatabase::keyForKind(MetadataKind kind,
                                                const std::string& cameraManufacturer,
                                                const std::string& containerFormat,
                                                std::string& key) const {
    const std::string kindName = kindNameOf(kind);
    const auto manufacturers = keysByKindName_.find(kindName);
    if (manufacturers != keysByKindName_.end()) {
        const auto containerFormats = manufacturers->second.find(cameraManufacturer);
        if (containerFormats != manufacturers->second.end()) {
            const auto found = containerFormats->second.find(containerFormat);
            if (found != containerFormats->second.end()) {
                key = found->second;
                return;
            }
        }
    }
    throw CameraManufacturerContainerFormatMismatchException(kindName, cameraManufacturer,
                                                             containerFormat);
}

} // namespace MetadataDatabase
