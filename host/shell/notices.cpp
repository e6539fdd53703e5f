// The title bar, the notices over the picture and the words of loads and slots (notices.h).
#include "host/shell/notices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "host/os/os.h"
#include "host/shell/shell.h"
#include "host/shell/snapshots.h"
#include "host/shell/window.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr uint32_t TitleSeconds = 3;

struct Title {
    std::string game;  // the title without a notice
    uint32_t noticeSeconds;
};

Title title = {ProductName, 0};
std::map<std::string, int> slotPauseMarks;  // by slot file, for the slots saved in this run

}  // namespace

std::string FileNameOf(const std::string& path) {
    const std::string name = TextOf(PathOf(path).filename());
    return name.empty() ? path : name;
}

std::string GameTitle(const std::string& cartridgePath) {
    const std::string stem = TextOf(PathOf(cartridgePath).stem());
    if (cartridgePath.empty() || stem.empty()) return ProductName;
    return std::string(ProductName) + " - " + stem;
}

bool HasCartridgeName(const std::string& path) {
    std::string extension = TextOf(PathOf(path).extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".sg" || extension == ".sc" || extension == ".bin";
}

void ShellNotice(const std::string& text) {
    WindowSetTitle((title.game + " - " + text).c_str());
    WindowShowNotice(text.c_str());
    title.noticeSeconds = TitleSeconds;
}

void ShellTitleFollowGame() {
    const std::string game = GameTitle(Shell().runningPath);
    if (game == title.game) return;
    title.game = game;
    title.noticeSeconds = 0;
    WindowSetTitle(game.c_str());
}

void ShellTitleTick() {
    if (title.noticeSeconds > 0 && --title.noticeSeconds == 0) WindowSetTitle(title.game.c_str());
}

std::string LoadMessage(const std::string& path, const char* error) {
    if (error != nullptr) return FileNameOf(path) + ": " + error;
    char text[LoadWarningSize];
    if (TruncatedLoadWarning(text, sizeof text) == nullptr) return {};
    return FileNameOf(path) + " " + text;
}

bool SlotIsEmpty(const std::string& problem) {
    constexpr std::string_view Empty = "no state saved in this slot.";
    return problem.size() >= Empty.size() &&
           problem.compare(problem.size() - Empty.size(), Empty.size(), Empty) == 0;
}

std::string WithoutStatesFolder(const std::string& problem) {
    std::string text = problem;
    const std::string folder = StatesFolder() + "/";
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
        text.erase(at, folder.size());
    }
    return text;
}

int SlotPauseMark(const std::string& slotFile, bool saved, int checked) {
    if (saved) return slotPauseMarks[slotFile] = checked;
    const auto kept = slotPauseMarks.find(slotFile);
    return kept != slotPauseMarks.end() ? kept->second : 0;
}

void ShellFileDropped(const std::string& path) {
    if (!Shell().runningPath.empty() && !HasCartridgeName(path)) {
        const std::string question = FileNameOf(path) +
                                     " is not named as a cartridge (.sg, .sc or .bin).\n"
                                     "Load it in place of the game that is running?";
        if (!WindowAsk("Plexaro load", question.c_str())) return;
    }
    ShellFileChosen(path);
}

SpeedMark ShellSpeedMark() {
    const ShellState& shell = Shell();
    if (shell.EmulationPaused == 1) return MarkPaused;
    if (!shell.cartridgeLoaded) return MarkNone;
    if (shell.rewinding) return MarkRewind;
    if (shell.fastForwarding) return MarkFastForward;
    return shell.SlowMotion == 1 ? MarkSlowMotion : MarkNone;
}

}  // namespace plexaro
