// The Windows half of the OS room (os.h): UTF-8 inside, UTF-16 at every call into the system.
// Whole-file replace with FlushFileBuffers and MoveFileExW, %APPDATA% and the known Pictures
// folder, the drives, GetModuleFileNameW, children started with CreateProcessW, and the
// console of the terminal that started this windowed program.
#include <windows.h>
// After windows.h, which these need.
#include <io.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "host/os/os.h"
#include "host/os/os_windows.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

// The children started here and not yet waited for.
std::vector<PROCESS_INFORMATION> children;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back();
    return text;
}

// A path for the wide API: backslashes, and beyond MAX_PATH the \\?\ form, which the system
// takes only absolute and with backslashes.
std::wstring SystemPath(const std::string& path) {
    std::wstring wide = Wide(path);
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    const bool drive = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
    if (wide.size() >= MAX_PATH && drive) wide = L"\\\\?\\" + wide;
    return wide;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) folder = Narrow(path);
    CoTaskMemFree(path);
    return folder;
}

std::string TemporaryFor(const std::string& path) {
    return path + ".plexaro-" + std::to_string(GetCurrentProcessId()) + ".part";
}

// One argument as the C runtime's command-line parser reads it back: quoted when it holds a
// space, a tab or a quote, or is empty; a quote escaped; backslashes doubled before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += word;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// Exceptions end a process with their NTSTATUS code, all of which have the two top bits set.
constexpr DWORD FirstExceptionCode = 0xC0000000;

}  // namespace

std::string WindowsErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string why = length > 0 ? Narrow(text) : "error " + std::to_string(error);
    LocalFree(text);
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == '.')) {
        why.pop_back();
    }
    return why;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(SystemPath(path).c_str(), Wide(mode).c_str());
}

std::string BeginReplacement(const std::string& path, FileReplacement& replacement) {
    replacement = {nullptr, path, TemporaryFor(path)};
    replacement.file = OpenFile(replacement.temporary, "wb");
    return replacement.file != nullptr ? std::string() : std::strerror(errno);
}

std::string FinishReplacement(FileReplacement& replacement, bool complete) {
    if (replacement.file == nullptr) return {};
    std::string problem;
    if (complete) {
        if (std::fflush(replacement.file) != 0 || std::ferror(replacement.file) != 0) {
            problem = std::strerror(errno);
        } else if (!FlushFileBuffers(
                       reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(replacement.file))))) {
            problem = WindowsErrorText(GetLastError());
        }
    }
    if (std::fclose(replacement.file) != 0 && complete && problem.empty()) {
        problem = std::strerror(errno);
    }
    replacement.file = nullptr;
    const std::wstring temporary = SystemPath(replacement.temporary);
    if (complete && problem.empty()) {
        if (MoveFileExW(temporary.c_str(), SystemPath(replacement.path).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        problem = WindowsErrorText(GetLastError());
        // A folder in the way is "access denied" to MoveFileExW: say what POSIX says.
        std::error_code error;
        if (fs::is_directory(PathOf(replacement.path), error)) problem = std::strerror(EISDIR);
    }
    DeleteFileW(temporary.c_str());
    return problem;
}

std::string ReplaceWholeFile(const std::string& path, const void* bytes, size_t size) {
    FileReplacement replacement{};
    if (std::string problem = BeginReplacement(path, replacement); !problem.empty()) {
        return problem;
    }
    if (size > 0 && std::fwrite(bytes, size, 1, replacement.file) != 1) {
        const std::string problem = std::strerror(errno);
        FinishReplacement(replacement, false);
        return problem;
    }
    return FinishReplacement(replacement, true);
}

std::string MakeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(PathOf(path), error);
    return error ? error.message() : std::string();
}

std::string UserConfigFolder() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

std::string UserDataFolder() {
    return KnownFolder(FOLDERID_RoamingAppData);
}

std::string UserPicturesFolder() {
    return KnownFolder(FOLDERID_Pictures);
}

std::vector<std::string> FileSystemRoots() {
    std::vector<std::string> roots;
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((drives & (1u << i)) != 0) roots.push_back(std::string(1, char('A' + i)) + ":/");
    }
    return roots;
}

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(Narrow(words[i]));
    LocalFree(words);
    return arguments;
}

void AttachToStartingTerminal() {
    // Output already going somewhere (a pipe, a file, a console of our own) stays there.
    const auto nowhere = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    };
    const bool out = nowhere(STD_OUTPUT_HANDLE);
    const bool err = nowhere(STD_ERROR_HANDLE);
    if ((out || err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (out) std::freopen("CONOUT$", "w", stdout);
        if (err) std::freopen("CONOUT$", "w", stderr);
    }
    SetConsoleOutputCP(CP_UTF8);
}

std::string OwnProgramPath(std::string* problem) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            if (problem != nullptr)
                *problem = "can't find this program: " + WindowsErrorText(GetLastError());
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path.c_str());
        }
        path.resize(path.size() * 2);
    }
}

std::string StartChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder, std::FILE* output, ChildProcess* child) {
    *child = {};
    // The program's own name in backslashes: some programs (cmd.exe) take a slash after the
    // drive for the start of a switch.
    std::wstring line;
    AppendQuoted(line, SystemPath(program));
    for (const std::string& word : arguments) {
        line += L' ';
        AppendQuoted(line, Wide(word));
    }
    // The output's handle is inherited by this child only: a duplicate made inheritable for it
    // and closed once it runs.
    HANDLE inherited = nullptr;
    const HANDLE own = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(output)));
    if (!DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &inherited, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return WindowsErrorText(GetLastError());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = inherited;
    startup.hStdError = inherited;
    PROCESS_INFORMATION process{};
    const std::wstring where = SystemPath(folder);
    const std::wstring name = SystemPath(program);
    const BOOL started =
        CreateProcessW(name.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       folder.empty() ? nullptr : where.c_str(), &startup, &process);
    const DWORD error = GetLastError();
    CloseHandle(inherited);
    if (!started) return WindowsErrorText(error);
    CloseHandle(process.hThread);
    children.push_back(process);
    child->id = process.dwProcessId;
    return {};
}

ChildEnd WaitForAnyChild() {
    if (children.empty()) return {{0}, -1, "No child processes"};
    std::vector<HANDLE> handles;
    // WaitForMultipleObjects watches at most 64: the first 64 are waited for first.
    for (size_t i = 0; i < children.size() && i < MAXIMUM_WAIT_OBJECTS; ++i) {
        handles.push_back(children[i].hProcess);
    }
    const DWORD which =
        WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
    if (which >= WAIT_OBJECT_0 + handles.size()) return {{0}, -1, WindowsErrorText(GetLastError())};
    const PROCESS_INFORMATION process = children[which - WAIT_OBJECT_0];
    children.erase(children.begin() + (which - WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    const int64_t id = process.dwProcessId;
    if (code >= FirstExceptionCode) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
        return {{id}, -1, std::string("ended by exception ") + hex};
    }
    return {{id}, static_cast<int>(code), {}};
}

}  // namespace plexaro
