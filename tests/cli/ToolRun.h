#pragma once

#include <boost/filesystem.hpp>

#include <OpenImageIO/imagebuf.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A fresh directory below the system's temporary directory, removed with
// everything in it when the object goes.
class TemporaryDirectory {
public:
    TemporaryDirectory()
        : path_(boost::filesystem::temp_directory_path() /
                boost::filesystem::unique_path("velor-cli-%%%%-%%%%-%%%%")) {
        boost::filesystem::create_directories(path_);
    }
    ~TemporaryDirectory() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(path_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    boost::filesystem::path path_;
};

struct ToolRun {
    int status = -1;
    std::string out;
    std::string errors;
};

inline std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (const char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

inline std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs a shell command line, its output and errors caught in files of
// `scratch`.
inline ToolRun runCommandLine(std::string command, const TemporaryDirectory& scratch) {
    const std::string outPath = scratch / "stdout.txt";
    const std::string errorsPath = scratch / "stderr.txt";
    command += " >" + quoted(outPath) + " 2>" + quoted(errorsPath) + " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, fileText(outPath), fileText(errorsPath)};
}

inline ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const TemporaryDirectory& scratch) {
    std::string command = quoted(program);
    for (const std::string& argument : arguments) {
        command += " " + quoted(argument);
    }
    return runCommandLine(command, scratch);
}

// Starts the tool in a child process, its errors written to `errorsPath`;
// returns the child's process id, or -1.
inline pid_t startTool(const std::vector<std::string>& arguments, const std::string& errorsPath) {
    std::vector<std::string> words{VELOR_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int log = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

inline OIIO::ImageBuf readImage(const std::string& path) {
    OIIO::ImageBuf image(path);
    if (!image.read(0, 0, true, OIIO::TypeFloat)) {
        throw std::runtime_error("cannot read " + path + ": " + image.geterror());
    }
    return image;
}
