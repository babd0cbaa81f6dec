#pragma once

// Correction files and directories that the benchmarks generate at run time.

#include <boost/filesystem.hpp>

#include <cstdint>
#include <string>

namespace Bench {

// A fresh directory below the system's temporary directory, removed with everything in
// it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    TemporaryDirectory(TemporaryDirectory&&) = delete;
    TemporaryDirectory& operator=(TemporaryDirectory&&) = delete;

    const boost::filesystem::path& path() const { return path_; }

private:
    boost::filesystem::path path_;
};

void writeFile(const boost::filesystem::path& path, const std::string& content);

// A version 3 correction file for the clip, with `frames` rows numbered from 0 that all
// carry the benchmark lens.
std::string correctionFileText(const std::string& clipFileName, std::uint32_t clipWidth,
                               std::uint32_t clipHeight, unsigned int frames);

} // namespace Bench
