// A suite of test runs: a text file of cases, each a headless run of a cartridge with what
// its last frame should be. The cases run in parallel, each in a process of its own (the
// machine is one per process), as many at once as there are cores; each gives a line on
// stdout, and --junit writes them all as JUnit XML for a CI server.
//
// The file: "#" starts a comment; each other line is a key and the rest of the line its
// value. "case NAME" starts a case; the keys before the first case are defaults for all.
//
//     cartridge  mygame.sg          the cartridge (paths are relative to the suite file)
//     case       title
//     frames     120                frames to run (default 600)
//     hash       0x3c1f...          the last frame's hash, as --hash prints it
//     case       first-level
//     input      walk.txt           an input script
//     screenshot level1.png         the last frame as a picture
//     options    --hardware --expect-no-warnings
#pragma once

#include <string>
#include <vector>

#include "host/options.h"

namespace plexaro {

struct SuiteCase {
    std::string name;
    std::string cartridge, input, screenshot, hash;
    std::string frames;
    std::vector<std::string> options;
    uint32_t line;  // where the case starts in the file
};

// Reads a suite's text; on failure returns false with the line and what is wrong.
bool ParseSuite(const std::string& text, std::vector<SuiteCase>& cases, uint32_t& line,
                std::string& error);

// The command line the player runs a case with (after the program's name).
std::vector<std::string> SuiteCaseArguments(const SuiteCase& suiteCase);

// Runs options.suitePath's cases; ExitSuccess when all passed, ExitMismatch when any failed.
int RunSuite(const PlayerOptions& options);

}  // namespace plexaro
