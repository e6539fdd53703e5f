// The POSIX half of the OS room (os.h): whole-file replace with fsync and rename, the XDG
// folders, /proc/self/exe, and children started with posix_spawn. File names are bytes here,
// so UTF-8 ones need nothing special.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "host/os/os.h"

extern char** environ;

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::string Why(int error) {
    return std::strerror(error);
}

// Beside the file, and this process's own: two players writing one file at once (a suite's
// cases, say) never write into the same temporary.
std::string TemporaryFor(const std::string& path) {
    return path + ".plexaro-" + std::to_string(::getpid()) + ".part";
}

// A rename is only as lasting as the folder entry that records it. The file is whole under
// one name or the other whatever happens, so a folder that can't be synced is not an error.
void SyncFolderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? home : "";
}

// An XDG variable's folder when it holds an absolute path, else the fallback under home.
std::string XdgFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    const std::string home = Home();
    return home.empty() ? home : home + "/" + underHome;
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::vector<std::string> FileSystemRoots() {
    return {"/"};
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void AttachToStartingTerminal() {}

std::string BeginReplacement(const std::string& path, FileReplacement& replacement) {
    replacement = {nullptr, path, TemporaryFor(path)};
    replacement.file = std::fopen(replacement.temporary.c_str(), "wb");
    return replacement.file != nullptr ? std::string() : Why(errno);
}

std::string FinishReplacement(FileReplacement& replacement, bool complete) {
    if (replacement.file == nullptr) return {};
    std::string problem;
    if (complete) {
        // fflush and fsync before fclose: a full disk often shows only here.
        if (std::fflush(replacement.file) != 0 || std::ferror(replacement.file) != 0) {
            problem = Why(errno);
        } else if (::fsync(fileno(replacement.file)) != 0) {
            problem = Why(errno);
        }
    }
    if (std::fclose(replacement.file) != 0 && complete && problem.empty()) problem = Why(errno);
    replacement.file = nullptr;
    if (complete && problem.empty()) {
        if (std::rename(replacement.temporary.c_str(), replacement.path.c_str()) == 0) {
            SyncFolderOf(replacement.path);
            return {};
        }
        problem = Why(errno);
    }
    std::remove(replacement.temporary.c_str());
    return problem;
}

std::string ReplaceWholeFile(const std::string& path, const void* bytes, size_t size) {
    FileReplacement replacement{};
    if (std::string problem = BeginReplacement(path, replacement); !problem.empty()) {
        return problem;
    }
    if (size > 0 && std::fwrite(bytes, size, 1, replacement.file) != 1) {
        const std::string problem = Why(errno);
        FinishReplacement(replacement, false);
        return problem;
    }
    return FinishReplacement(replacement, true);
}

std::string MakeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return error ? error.message() : std::string();
}

std::string UserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserDataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

// The desktop's own pictures folder (a translated name, often) is set in user-dirs.dirs, as
// XDG_PICTURES_DIR="$HOME/Bilder"; the environment variable, when set, goes first.
std::string UserPicturesFolder() {
    const char* set = std::getenv("XDG_PICTURES_DIR");
    if (set != nullptr && set[0] == '/') return set;
    const std::string home = Home();
    const std::string config = UserConfigFolder();
    std::ifstream dirs(config.empty() ? std::string() : config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
        constexpr std::string_view Key = "XDG_PICTURES_DIR=\"";
        if (line.rfind(Key, 0) != 0 || line.size() < Key.size() + 1 || line.back() != '"') continue;
        std::string value = line.substr(Key.size(), line.size() - Key.size() - 1);
        if (value.rfind("$HOME/", 0) == 0 && !home.empty()) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/' && value.find('"') == std::string::npos) return value;
    }
    return home.empty() ? home : home + "/Pictures";
}

std::string OwnProgramPath(std::string* problem) {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        if (problem != nullptr) *problem = "can't read /proc/self/exe: " + error.message();
        return {};
    }
    return path.string();
}

std::string StartChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder, std::FILE* output, ChildProcess* child) {
    *child = {};
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (const int error = posix_spawn_file_actions_init(&actions); error != 0) return Why(error);
    const int fd = fileno(output);
    // The children started after this one need not hold its messages' file open.
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    int error = posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
    if (error == 0) error = posix_spawn_file_actions_adddup2(&actions, fd, STDERR_FILENO);
    if (error == 0 && !folder.empty()) {
        error = posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    // glibc reports a program or folder that fails in the child here, with its errno, rather
    // than as an exit status of a child that never ran.
    pid_t pid = 0;
    if (error == 0)
        error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return Why(error);
    child->id = pid;
    return {};
}

ChildEnd WaitForAnyChild() {
    int status = 0;
    pid_t pid = 0;
    do {
        pid = ::waitpid(-1, &status, 0);
    } while (pid < 0 && errno == EINTR);
    if (pid <= 0) return {{0}, -1, Why(errno)};
    if (WIFEXITED(status)) return {{pid}, WEXITSTATUS(status), {}};
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return {
        {pid}, -1, "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")"};
}

}  // namespace plexaro
