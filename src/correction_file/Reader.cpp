#include "correction_file/Reader.h"

#include "correction_file/NotReadableException.h"

#include <boost/filesystem/operations.hpp>

#include <fstream>
#include <ios>
#include <utility>

namespace CorrectionFile {

void Reader::readFile(const std::string& filePath, std::string& fileContent) const {
    // A directory opens as a stream on Linux and reports an end position of
    // about 2^63; it is not a file that can be read, so it is refused up front.
    boost::system::error_code statusError;
    if (boost::filesystem::is_directory(filePath, statusError)) {
        throw NotReadableException(filePath);
    }

    std::ifstream file(filePath, std::ios::in | std::ios::binary | std::ios::ate);
    if (!file.is_open()) {
        throw NotReadableException(filePath);
    }
    const std::streamoff fileSize = file.tellg();
    if (fileSize < 0) {
        throw NotReadableException(filePath);
    }

    std::string buffer(static_cast<std::string::size_type>(fileSize), '\0');
    file.seekg(0, std::ios::beg);
    if (!buffer.empty()) {
        // A short read is not detected: the rest of the buffer stays zero bytes.
        file.read(&buffer[0], static_cast<std::streamsize>(buffer.size()));
    }
    fileContent = std::move(buffer);
    file.close();
}

} // namespace CorrectionFile
