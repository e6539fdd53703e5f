// What the hosts ask of the operating system, behind a few plain functions: replacing a file
// whole, the user's folders, this program's own path, and child processes. The rest of host/
// calls no system function for these, so a port is one more implementation of this header
// (os_posix.cpp is the POSIX one). Paths are UTF-8 text. What can fail says why in words: an
// empty string means it went well.
//
//     if (std::string why = ReplaceWholeFile(path, bytes, size); !why.empty()) say(why);
//     const std::string states = UserDataFolder() + "/plexaro/states";  // check for "" first
//     ChildProcess child{};
//     StartChildProcess(program, {"--headless", "game.sg"}, folder, output, &child);
//     const ChildEnd end = WaitForAnyChild();   // end.child.id == child.id
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plexaro {

// Writes the bytes under a temporary name beside `path`, flushes them to the disk and renames
// the temporary over `path`: a crash, a full disk or a power cut leaves either the file as it
// was or the whole new one, never half of it. The folder must exist.
std::string ReplaceWholeFile(const std::string& path, const void* bytes, size_t size);

// The same for a file written as it goes: Begin opens the temporary (file is null when it
// could not), the caller writes to `file`, and Finish puts it in place when `complete` (else,
// or when anything failed, removes it). Finish always closes the file.
struct FileReplacement {
    std::FILE* file;
    std::string path;       // where it goes when complete
    std::string temporary;  // where it is written meanwhile
};
std::string BeginReplacement(const std::string& path, FileReplacement& replacement);
std::string FinishReplacement(FileReplacement& replacement, bool complete);

// Creates a folder and those above it that are missing.
std::string MakeFolders(const std::string& path);

// The user's folders as the desktop names them; empty when the system names none (no home).
// POSIX: $XDG_CONFIG_HOME, else ~/.config; $XDG_DATA_HOME, else ~/.local/share; the pictures
// folder from $XDG_PICTURES_DIR, else from user-dirs.dirs, else ~/Pictures. A relative value
// of an XDG variable is ignored, as the desktop's rules ask.
std::string UserConfigFolder();
std::string UserDataFolder();
std::string UserPicturesFolder();

// This program's own executable file, to start it again; empty with `problem` said if unknown.
std::string OwnProgramPath(std::string* problem);

// A child process started here, until WaitForAnyChild reports its end.
struct ChildProcess {
    int64_t id;  // never 0 for a started child
};
// Starts `program` with `arguments` (after the program's name), in `folder` (empty: this
// process's), with its stdout and stderr both going to `output`. Whatever keeps it from
// starting (no such program, no such folder) is said here, not by an exit status.
std::string StartChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder, std::FILE* output, ChildProcess* child);
struct ChildEnd {
    ChildProcess child;  // id 0: no child was running
    int status;          // its exit status, or -1 when it did not exit by itself
    std::string why;     // for status -1: how it ended ("killed by signal 9 (Killed)")
};
// Waits for any child started here to end.
ChildEnd WaitForAnyChild();

}  // namespace plexaro
