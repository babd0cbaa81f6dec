#include "TemporaryDirectory.h"

#include "correction_file/NotReadableException.h"
#include "correction_file/Reader.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

using CorrectionFile::NotReadableException;
using CorrectionFile::Reader;

namespace fs = boost::filesystem;

TEST(Reader, ReadsEveryByteAndReplacesTheOutput) {
    TemporaryDirectory directory;
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    bytes += "line\r\nnext\n\r\n";
    writeFile(directory.path() / "bytes.vlcf", bytes);
    writeFile(directory.path() / "empty.vlcf", "");

    const Reader reader;
    std::string content = "a previous text longer than nothing";
    reader.readFile((directory.path() / "bytes.vlcf").string(), content);
    EXPECT_EQ(content, bytes);
    reader.readFile((directory.path() / "empty.vlcf").string(), content);
    EXPECT_EQ(content, "");
}

TEST(Reader, RefusesWhatCannotBeReadAndKeepsTheOutput) {
    TemporaryDirectory directory;
    const fs::path locked = directory.path() / "locked.vlcf";
    writeFile(locked, "text");
    fs::permissions(locked, fs::no_perms);
    std::vector<std::string> paths{(directory.path() / "no such file.vlcf").string(),
                                   "relative/../odd//path.vlcf", "", directory.path().string()};
    if (::access(locked.c_str(), R_OK) != 0) { // root may read it anyway
        paths.push_back(locked.string());
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        std::string content = "previous";
        try {
            Reader().readFile(path, content);
            ADD_FAILURE() << "no exception";
        } catch (const NotReadableException& exception) {
            EXPECT_STREQ(exception.what(), "Correction file could not be read.");
            EXPECT_EQ(exception.detailedDescription(),
                      "Correction file could not be read.\nFile Path: \"" + path + "\"\n");
            EXPECT_EQ(exception.filePath(), path);
        }
        EXPECT_EQ(content, "previous");
    }
}
