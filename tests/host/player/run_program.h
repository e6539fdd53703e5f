// The program itself run as a user runs it, from a folder of the test's own: its exit status
// and what it printed, for the tests of the headless player, its expectations and its tools.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/machine/test_cartridges.h"

namespace plexaro::testing {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program in `dir` with these words, each passed as it is. What it prints is caught
// beside `dir`, so that the folder holds only what the run itself wrote. A run that hangs is
// killed and fails with status 124, instead of holding up the suite.
inline Outcome RunProgram(const std::filesystem::path& dir, const std::vector<std::string>& words) {
    const std::filesystem::path capture = dir.string() + ".out";
    std::filesystem::create_directories(capture);
    std::string command = "cd " + ShellQuote(dir.string()) + " && timeout 60 " +
                          ShellQuote(std::string(PLEXARO_BINARY_DIR) + "/host/plexaro");
    for (const std::string& word : words) command += " " + ShellQuote(word);
    command += " >" + ShellQuote((capture / "out").string()) + " 2>" +
               ShellQuote((capture / "err").string());
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(capture / "out"),
                    ReadText(capture / "err")};
    RemoveScratch(capture);
    return outcome;
}

// The same with the words written as one line, split at spaces: for words without spaces.
inline Outcome RunProgram(const std::filesystem::path& dir, const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return RunProgram(dir, words);
}

}  // namespace plexaro::testing
