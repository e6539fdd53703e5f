// What the hosts ask of the operating system, behind a few plain functions: opening and
// replacing files by UTF-8 name, the user's folders, this program's own path, child processes
// and the terminal that started us. The rest of host/ calls no system function for these, so a
// port is one more implementation of this header (os_posix.cpp, os_windows.cpp). Paths are
// UTF-8 text everywhere; std::filesystem paths are made and read through PathOf and TextOf,
// because a narrow std::filesystem::path is the ANSI code page on Windows. What can fail says
// why in words: an empty string means it went well.
//
//     std::FILE* in = OpenFile(path, "rb");     // null with errno set, as fopen
//     if (fs::is_regular_file(PathOf(path), error)) ...
//     if (std::string why = ReplaceWholeFile(path, bytes, size); !why.empty()) say(why);
//     const std::string states = UserDataFolder() + "/plexaro/states";  // check for "" first
//     ChildProcess child{};
//     StartChildProcess(program, {"--headless", "game.sg"}, folder, output, &child);
//     const ChildEnd end = WaitForAnyChild();   // end.child.id == child.id
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace plexaro {

// fopen by UTF-8 name (Windows: _wfopen, so any name opens, not only the code page's).
std::FILE* OpenFile(const std::string& path, const char* mode);

// UTF-8 text to a std::filesystem path and back; the same on every system.
std::filesystem::path PathOf(const std::string& text);
std::string TextOf(const std::filesystem::path& path);

// Where a file dialog starts beyond the folders it walks: "/" on POSIX, each drive ("C:/")
// on Windows.
std::vector<std::string> FileSystemRoots();

// The words of the command line after the program's name, in UTF-8: argv's own on POSIX; on
// Windows read again from the wide command line, since argv holds the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// For a windowed program started from a terminal: its messages and exit status reach that
// terminal (Windows: attach to the parent's console when stdout and stderr go nowhere, and
// speak UTF-8 to it). Nothing to do on POSIX. Call first thing in main.
void AttachToStartingTerminal();

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
// of an XDG variable is ignored, as the desktop's rules ask. Windows: the roaming application
// data folder (%APPDATA%) for both config and data, and the known Pictures folder.
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
// Waits for any child started here to end. On Windows a child that ended by an exception
// (an exit code 0xC0000000 or above) did not exit by itself.
ChildEnd WaitForAnyChild();

}  // namespace plexaro
