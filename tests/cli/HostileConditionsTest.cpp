#include "../SanitizerBuild.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <boost/algorithm/string/replace.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace fs = boost::filesystem;

namespace {

// Longer than any of these runs takes; a run that reaches it hangs.
const char* const hangSeconds = "120";

class HostileConditions : public ::testing::Test {
protected:
    // A 320 x 170 sample plate of two frames from 1001 and its correction
    // file, five directories deep so that the search stays inside the test's
    // directory.
    void SetUp() override {
        fs::permissions(sample_ / "", fs::add_perms | fs::others_read | fs::others_exe);
        makePlate(shot(""), 320, 170);
    }

    void makePlate(const std::string& directory, int width, int height) const {
        const ToolRun sample =
            runProgram(VELOR_SAMPLE_PLATE_PATH,
                       {directory, "--name", name_, "--width", std::to_string(width), "--height",
                        std::to_string(height), "--frames", "2"},
                       scratch_);
        ASSERT_EQ(sample.status, 0) << sample.errors;
    }

    std::string shot(const std::string& file) const { return sample_ / ("1/2/3/4/shot/" + file); }
    std::string plate() const { return shot(name_ + ".####.exr"); }

    // The tool under `prefix` (a memory cap, another user), ended by SIGKILL
    // when it hangs: the status is then 137.
    ToolRun run(const std::vector<std::string>& arguments,
                const std::vector<std::string>& prefix = {},
                const std::string& directory = "") const {
        std::string command = directory.empty() ? "" : "cd " + quoted(directory) + " && ";
        for (const std::string& word : prefix) {
            command += quoted(word) + " ";
        }
        command += std::string("timeout -s KILL ") + hangSeconds + " " + quoted(VELOR_CLI_PATH);
        for (const std::string& argument : arguments) {
            command += " " + quoted(argument);
        }
        return runCommandLine(command, scratch_);
    }

    const std::string name_ = "A001C001";
    TemporaryDirectory sample_;
    TemporaryDirectory scratch_;
    TemporaryDirectory home_;
};

// Run as "nobody" when the tests run as root, for whom permissions are not
// enforced, with a home directory that user can write (the OpenCL driver
// keeps its cache there).
std::vector<std::string> unprivileged(const TemporaryDirectory& home) {
    if (::geteuid() != 0) {
        return {};
    }
    fs::permissions(home / "", fs::all_all);
    std::vector<std::string> prefix = {
        "setpriv", "--reuid=nobody",     "--regid=nogroup", "--clear-groups",
        "env",     "HOME=" + (home / "")};
    if (builtWithAddressSanitizer()) {
        // A user without PoCL's kernel cache has the kernels compiled anew,
        // and LLVM leaks as it compiles them; leaks are looked for in the runs
        // as root, which find the kernels cached.
        const char* const options = std::getenv("ASAN_OPTIONS");
        prefix.push_back("ASAN_OPTIONS=" + std::string(options ? options : "") + ":detect_leaks=0");
    }
    return prefix;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A copy of an EXR file whose header claims width x height pixels, with a
// line offset table of that size and only the original pixels behind it.
void writeClaimingSize(const std::string& source, const std::string& target, std::int32_t width,
                       std::int32_t height) {
    std::string bytes = fileText(source);
    for (const std::string name : {"dataWindow", "displayWindow"}) {
        const std::string key = name + std::string("\0box2i\0", 7) + std::string("\x10\0\0\0", 4);
        const std::size_t at = bytes.find(key);
        ASSERT_NE(at, std::string::npos) << name;
        const std::int32_t box[4] = {0, 0, width - 1, height - 1};
        bytes.replace(at + key.size(), sizeof box, reinterpret_cast<const char*>(box), sizeof box);
    }
    // The attributes end with an empty name; the offset table follows.
    std::size_t position = 8;
    while (bytes.at(position) != '\0') {
        const std::size_t nameEnd = bytes.find('\0', position);
        const std::size_t typeEnd = bytes.find('\0', nameEnd + 1);
        std::int32_t size = 0;
        std::memcpy(&size, bytes.data() + typeEnd + 1, sizeof size);
        position = typeEnd + 1 + sizeof size + static_cast<std::size_t>(size);
    }
    ++position;
    // Zip compression: 16 lines per chunk, one 8-byte offset per chunk.
    const std::size_t chunks = (static_cast<std::size_t>(height) + 15) / 16;
    bytes.replace(position, 8, std::string(8 * chunks, '\0'));
    std::ofstream(target, std::ios::binary) << bytes;
}

} // namespace

// A small file whose header claims a frame beyond the size limit is refused
// from the header, naming the file and the size, before any pixel memory is
// taken (the memory cap would otherwise end the allocation).
TEST_F(HostileConditions, HeadersClaimingHugeFramesAreRefusedBeforeAnyAllocation) {
    const std::string small = scratch_ / "small.exr";
    ASSERT_TRUE(readImage(shot(name_ + ".1001.exr")).write(small));
    const struct {
        std::int32_t width;
        std::int32_t height;
    } claims[] = {{4000, 800000}, {16400, 16400}};
    for (const auto& claim : claims) {
        const std::string size = std::to_string(claim.width) + "x" + std::to_string(claim.height);
        SCOPED_TRACE(size);
        const std::string directory = sample_ / ("claims/" + size);
        fs::create_directories(directory);
        const std::string frame = directory + "/" + name_ + ".1001.exr";
        writeClaimingSize(small, frame, claim.width, claim.height);
        const ToolRun refused = run({"undistort", directory + "/" + name_ + ".####.exr",
                                     sample_ / "out/x.####.exr", "--clip", shot(name_)},
                                    builtWithAddressSanitizer()
                                        ? std::vector<std::string>{}
                                        : std::vector<std::string>{"prlimit", "--as=1500000000"});
        EXPECT_EQ(refused.status, 1) << refused.errors;
        for (const std::string& expected :
             {std::string("The input image is too large to process."),
              "Input File Path: \"" + frame + "\"", "Image Size: " + size + " px"}) {
            EXPECT_NE(refused.errors.find(expected), std::string::npos)
                << expected << " in " << refused.errors;
        }
    }
}

// Under address-space caps from the least the tool needs to start (its
// libraries take about 500 MB) up to what a frame needs, every run ends, with
// status 0 or with status 1 and a message that names memory or the device and
// the cap; never with a signal and never hanging.
TEST_F(HostileConditions, TightMemoryEndsEveryRunWithAMessageNamingTheCause) {
    if (builtWithAddressSanitizer()) {
        GTEST_SKIP() << "an instrumented tool cannot start under a cap on its address space";
    }
    const auto cap = [](int megabytes) {
        return std::vector<std::string>{"prlimit", "--as=" + std::to_string(megabytes * 1000000LL)};
    };
    int least = 500;
    for (int successes = 0; successes < 3 && least < 2000;) {
        if (run({"help"}, cap(least)).status == 0) {
            ++successes;
        } else {
            successes = 0;
            least += 20;
        }
    }
    const std::string large = sample_ / "large";
    makePlate(large, 2048, 2048);
    int failures = 0;
    bool written = false;
    for (int megabytes = least + 20; megabytes <= 4000 && !written; megabytes += 200) {
        SCOPED_TRACE(std::to_string(megabytes) + " MB");
        const ToolRun capped = run({"undistort", large + "/" + name_ + ".####.exr",
                                    sample_ / ("capped/" + std::to_string(megabytes) + ".####.exr"),
                                    "--frames", "1001"},
                                   cap(megabytes));
        ASSERT_TRUE(capped.status == 0 || capped.status == 1)
            << "status " << capped.status << ": " << capped.errors;
        if (capped.status == 1) {
            ++failures;
            const std::string errors = lowerCase(capped.errors);
            EXPECT_TRUE(errors.find("memory") != std::string::npos ||
                        errors.find("device") != std::string::npos)
                << capped.errors;
            EXPECT_NE(capped.errors.find("Address Space Limit: " + std::to_string(megabytes) +
                                         " MB (ulimit -v)"),
                      std::string::npos)
                << capped.errors;
        }
        written = capped.status == 0;
    }
    EXPECT_TRUE(written);
    EXPECT_GT(failures, 0) << "no cap was tight enough to try";
}

// Whether a thread of the process sleeps in the kernel function `name`.
bool sleepsIn(pid_t process, const std::string& name) {
    const fs::path tasks = "/proc/" + std::to_string(process) + "/task";
    boost::system::error_code error;
    for (fs::directory_iterator task(tasks, error), end; !error && task != end;
         task.increment(error)) {
        if (fileText((task->path() / "wchan").string()) == name) {
            return true;
        }
    }
    return false;
}

// A run stuck before its first frame (here, opening a correction file that
// is a pipe nobody writes) ends at the first interrupt, as a farm's SIGTERM
// expects.
TEST_F(HostileConditions, OneInterruptEndsARunStuckBeforeItsFirstFrame) {
    const std::string pipe = sample_ / "stuck.vlcf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string errors = scratch_ / "stuck.txt";
    const pid_t child = startTool(
        {"undistort", plate(), sample_ / "stuck-out/x.####.exr", "--correction-file", pipe},
        errors);
    ASSERT_GE(child, 0);
    // Opening a pipe for reading waits for a writer, in the kernel's
    // wait_for_partner.
    bool waiting = false;
    for (int tick = 0; tick < 6000 && !waiting; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        waiting = sleepsIn(child, "wait_for_partner");
    }
    EXPECT_TRUE(waiting) << "the tool never opened the correction file";
    kill(child, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    for (int tick = 0; tick < 600 && ended == 0; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ended = waitpid(child, &status, WNOHANG);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "still running after one SIGTERM: " << fileText(errors);
        return;
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << fileText(errors);
}

// Permissions hold for every user but root, so these runs are made as an
// unprivileged user: an output directory that cannot be written, or created,
// fails the frame with its reason.
TEST_F(HostileConditions, OutputsThatCannotBeWrittenFailWithTheReason) {
    const std::string locked = sample_ / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::owner_all | fs::group_read | fs::group_exe | fs::others_read |
                                fs::others_exe);
    if (::geteuid() != 0) {
        fs::permissions(locked, fs::owner_read | fs::owner_exe);
    }
    for (const std::string& output : {locked + "/x.####.exr", locked + "/new/x.####.exr"}) {
        SCOPED_TRACE(output);
        const ToolRun refused = run({"undistort", plate(), output}, unprivileged(home_));
        EXPECT_EQ(refused.status, 1) << refused.errors;
        EXPECT_NE(refused.errors.find("frame 1001"), std::string::npos) << refused.errors;
        EXPECT_NE(refused.errors.find("Output File Path: \""), std::string::npos) << refused.errors;
        EXPECT_NE(lowerCase(refused.errors).find("permission denied"), std::string::npos)
            << refused.errors;
    }
    EXPECT_TRUE(fs::is_empty(locked));
    fs::permissions(locked, fs::owner_all);
}

// The frames of a directory whose parent cannot be read (but is still the
// current directory's parent) are read through their relative paths; the
// search for the correction file names the directory it could not list.
TEST_F(HostileConditions, ADirectoryBehindAnUnreadableParentIsReadAndNamed) {
    const std::string parent = sample_ / "1/2/3/4";
    const std::string out = sample_ / "readable-out";
    fs::create_directories(out);
    fs::permissions(out, fs::all_all);
    fs::permissions(parent, fs::no_perms);
    const std::string relative = name_ + ".####.exr";
    const ToolRun found =
        run({"undistort", relative, out + "/f.####.exr", "--correction-file", name_ + ".vlcf"},
            unprivileged(home_), shot(""));
    const ToolRun searched = run({"undistort", relative, out + "/s.####.exr", "--frames", "1001"},
                                 unprivileged(home_), shot(""));
    fs::permissions(parent, fs::owner_all);
    EXPECT_EQ(found.status, 0) << found.errors;
    EXPECT_EQ(searched.status, 1) << searched.errors;
    EXPECT_EQ(searched.errors.find("does not exist"), std::string::npos) << searched.errors;
    EXPECT_NE(searched.errors.find("Directories that could not be searched:\n    \t\"" +
                                   fs::path(shot("")).parent_path().string() +
                                   "\": Permission denied"),
              std::string::npos)
        << searched.errors;
}

// Mistakes a run can only show after its first frame are bad usage (status
// 2) before any work; a list of ten million frames starts at once.
TEST_F(HostileConditions, UsageMistakesAreRefusedBeforeAnyFrameIsCorrected) {
    const std::string out = sample_ / "usage";
    const ToolRun unknownFormat = run({"undistort", plate(), out + "/x.####.xyz"});
    EXPECT_EQ(unknownFormat.status, 2) << unknownFormat.errors;
    EXPECT_NE(unknownFormat.errors.find(".xyz"), std::string::npos) << unknownFormat.errors;
    EXPECT_EQ(unknownFormat.errors.find("frame 1001"), std::string::npos) << unknownFormat.errors;

    const ToolRun twice =
        run({"undistort", plate(), out + "/x.####.exr", "--frames", "1001", "--frames", "1002"});
    EXPECT_EQ(twice.status, 2) << twice.errors;
    EXPECT_NE(twice.errors.find("--frames"), std::string::npos) << twice.errors;
    EXPECT_FALSE(fs::exists(out));

    const ToolRun beforeTheClip =
        run({"undistort", plate(), out + "/x.####.exr", "--frames", "0-9999999"});
    EXPECT_EQ(beforeTheClip.status, 2) << beforeTheClip.errors;
    EXPECT_NE(beforeTheClip.errors.find("first frame 1001, the first on disk"), std::string::npos)
        << beforeTheClip.errors;

    const ToolRun many = run(
        {"undistort", plate(), out + "/x.####.exr", "--frames", "0-9999999", "--first-frame", "0"});
    EXPECT_EQ(many.status, 1) << many.errors;
    EXPECT_NE(many.errors.find("frame 0 ("), std::string::npos) << many.errors;
    EXPECT_NE(many.errors.find("The input file does not exist."), std::string::npos) << many.errors;
}

// A detail longer than the hosts' buffer (here, the list of 1500 directories
// searched in vain) is cut, keeping the clip it names and its end.
TEST_F(HostileConditions, ALongNotFoundDetailKeepsTheClipItNames) {
    for (int index = 0; index < 1500; ++index) {
        fs::create_directories(shot("subdirectory-of-the-shot-" + std::to_string(index)));
    }
    fs::remove(shot(name_ + ".vlcf"));
    const ToolRun notFound =
        run({"undistort", plate(), sample_ / "cut/x.####.exr", "--frames", "1001"});
    EXPECT_EQ(notFound.status, 1) << notFound.errors.substr(0, 2000);
    EXPECT_NE(notFound.errors.find("Correction file could not be found.\n    Clip File Path: \"" +
                                   shot(name_) + "\"\n    Searched Directory Paths:\n"),
              std::string::npos)
        << notFound.errors.substr(0, 2000);
    EXPECT_NE(notFound.errors.find(" more lines ...]"), std::string::npos);
    EXPECT_LT(notFound.errors.size(), 20000U);
}

// A correction file that cannot be used does not end the search: a file that
// names the clip further up is used, and the frame's line says which.
TEST_F(HostileConditions, AFilePassedOverLeavesTheSearchToGoOnAndTheFileUsedIsNamed) {
    const std::string beside = shot(name_ + ".vlcf");
    const std::string further = sample_ / ("1/other/" + name_ + ".vlcf");
    fs::create_directories(fs::path(further).parent_path());
    fs::copy_file(beside, further);
    std::string text = fileText(beside);
    boost::replace_first(text, "tcFps:=", "tcFps:=not a rate ");
    std::ofstream(beside, std::ios::binary) << text;

    const ToolRun run =
        this->run({"undistort", plate(), sample_ / "on/x.####.exr", "--frames", "1001"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.errors.find("with record 0 (01:00:00:00) of " + further + "\n"),
              std::string::npos)
        << run.errors;
}
