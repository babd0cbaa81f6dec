// The class log as several users of one machine use it, each as an unprivileged user of its own:
// the fixed file where a user can write to it, otherwise a file of that user's beside it.
#include "nuke/NodeLog.h"

#include <boost/filesystem.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = boost::filesystem;

std::string contents(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file.string()).rdbuf();
    return text.str();
}

// A directory like /tmp: everyone may create files, only their owners remove them.
class SharedDirectory {
public:
    SharedDirectory() : root_(fs::temp_directory_path() / fs::unique_path("velor-log-%%%%-%%%%")) {
        fs::create_directory(root_);
        fs::permissions(root_, fs::perms(01777));
    }
    ~SharedDirectory() {
        boost::system::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    SharedDirectory(const SharedDirectory&) = delete;
    SharedDirectory& operator=(const SharedDirectory&) = delete;
    fs::path operator/(const std::string& name) const { return root_ / name; }

private:
    fs::path root_;
};

// Logs through the class log as the user nobody; the exit status of the run.
int logAsNobody(const fs::path& fixed, const std::string& message) {
    const std::string command = "setpriv --reuid=nobody --regid=nogroup --clear-groups '" +
                                std::string(VELOR_LOG_AS_USER) + "' '" + fixed.string() + "' '" +
                                message + "'";
    return std::system(command.c_str());
}

} // namespace

TEST(NodeLog, AnotherUsersFixedFileSendsTheEntriesToThisUsersOwnFile) {
    const SharedDirectory directory;
    const fs::path fixed = directory / "com.velor.LensCorrection.Distortion.Nuke.log";
    std::ofstream(fixed.string()) << "an entry of root\n";
    fs::permissions(fixed, fs::perms(0644));

    ASSERT_EQ(logAsNobody(fixed, "Clip File Path: the clip of nobody"), 0);
    EXPECT_EQ(contents(fixed), "an entry of root\n");
    const fs::path own = directory / "com.velor.LensCorrection.Distortion.Nuke.nobody.log";
    EXPECT_EQ(NodeLog(fixed.string()).perUserPath(),
              (directory / "com.velor.LensCorrection.Distortion.Nuke.root.log").string());
    EXPECT_NE(contents(own).find(": Clip File Path: the clip of nobody\n"), std::string::npos)
        << "the entry is lost";
}

TEST(NodeLog, TheFixedFileTakesTheEntriesOfEveryUserWhoCanWriteToIt) {
    const SharedDirectory directory;
    const fs::path fixed = directory / "com.velor.LensCorrection.Shading.Nuke.log";
    ASSERT_EQ(logAsNobody(fixed, "the first entry"), 0);
    NodeLog(fixed.string()).log("the second entry");
    const std::string text = contents(fixed);
    EXPECT_NE(text.find(": the first entry\n"), std::string::npos);
    EXPECT_NE(text.find(": the second entry\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(directory / "com.velor.LensCorrection.Shading.Nuke.nobody.log"));
    EXPECT_FALSE(fs::exists(directory / "com.velor.LensCorrection.Shading.Nuke.root.log"));
}
