// The headless player: runs a cartridge for a number of frames as fast as the machine can,
// feeding it an input script, and writes what the options ask for (screenshot, WAV) and
// prints the run's speed and, if asked, its hashes.
//
//     PlayerOptions options;           // from ParseOptions
//     return RunHeadless(options);     // the process's exit status
#pragma once

#include "host/options.h"

namespace plexaro {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;   // the cartridge or an output file failed
inline constexpr int ExitUsage = 2;     // the command line or the input script is wrong
inline constexpr int ExitMismatch = 3;  // the run did not show what --expect-* said it would

// Messages go to stderr prefixed "plexaro: ", the report to stdout.
int RunHeadless(const PlayerOptions& options);

}  // namespace plexaro
