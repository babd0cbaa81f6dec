#pragma once

#include <boost/filesystem.hpp>

#include <fstream>
#include <string>

// A fresh directory below the system's temporary directory, removed with
// everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory()
        : path_(boost::filesystem::temp_directory_path() /
                boost::filesystem::unique_path("velor-test-%%%%-%%%%-%%%%-%%%%")) {
        boost::filesystem::create_directories(path_);
    }
    ~TemporaryDirectory() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const boost::filesystem::path& path() const { return path_; }

private:
    boost::filesystem::path path_;
};

inline void writeFile(const boost::filesystem::path& path, const std::string& content) {
    boost::filesystem::create_directories(path.parent_path());
    std::ofstream file(path.string(), std::ios::binary | std::ios::trunc);
    file << content;
}
