// The State menu's work: slot files, screenshots and rewinding, without any window.
#include "host/shell/snapshots.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/media.h"
#include "host/shell/rewind.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::string Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? home : ".";
}

std::string FromEnvironment(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') return value;
    return Home() + "/" + fallbackUnderHome;
}

// The desktop's own pictures folder (a translated name, often) is set in user-dirs.dirs, as
// XDG_PICTURES_DIR="$HOME/Bilder"; the environment variable, when set, goes first.
std::string PicturesFolder() {
    const char* set = std::getenv("XDG_PICTURES_DIR");
    if (set != nullptr && *set == '/') return set;
    const std::string home = Home();
    const std::string config = FromEnvironment("XDG_CONFIG_HOME", ".config");
    std::ifstream dirs(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
        constexpr std::string_view Key = "XDG_PICTURES_DIR=\"";
        if (line.rfind(Key, 0) != 0 || line.size() < Key.size() + 1 || line.back() != '"') continue;
        std::string value = line.substr(Key.size(), line.size() - Key.size() - 1);
        if (value.rfind("$HOME/", 0) == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/' && value.find('"') == std::string::npos) return value;
    }
    return home + "/Pictures";
}

std::string Prepared(const std::string& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    return error ? folder + ": " + error.message() : std::string();
}

// The picture of the state just loaded, drawn from its registers and video memory. Drawing
// changes the status bits, so the chip is put back exactly as the state left it.
void Redraw() {
    static VdpSnapshot kept;  // 16 KB: kept off the stack
    VdpSave(kept);
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) VdpRenderLine(line);
    VdpRestore(kept);
}

}  // namespace

void SnapshotsStart() {
    RewindStart(RewindDefaultBudget);  // without the memory, there is simply no rewind
}

void SnapshotsStop() {
    RewindStop();
}

void SnapshotsFrameEnded(uint64_t frame) {
    RewindRecord(frame);
}

void SnapshotsForget() {
    RewindClear();
}

std::string StatesFolder() {
    return FromEnvironment("XDG_DATA_HOME", ".local/share") + "/plexaro/states";
}

std::string SlotPath(const std::string& cartridgePath, uint32_t slot) {
    return StatesFolder() + "/" + fs::path(cartridgePath).filename().string() + "." +
           std::to_string(slot + 1) + ".state";
}

std::string SaveSlot(const std::string& cartridgePath, uint32_t slot, uint64_t frame) {
    if (ConsoleMemory() == nullptr) return "There is no console running.";
    // A state holds the console between two frames; where a stopped frame stands is not in it.
    const DebugPosition position = DebuggerPosition();
    if (position.line != 0 || position.cycle != 0) {
        return "The debugger has stopped in the middle of a frame: run to the next frame "
               "(Debug > CPU, Next frame), then save.";
    }
    if (std::string problem = Prepared(StatesFolder()); !problem.empty()) return problem;
    std::vector<uint8_t> bytes(MachineStateSize());
    SaveMachineState(frame, bytes.data());
    const std::string path = SlotPath(cartridgePath, slot);
    if (!WriteWholeFile(path, bytes.data(), bytes.size())) return path + ": can't be written.";
    return {};
}

std::string LoadSlot(const std::string& cartridgePath, uint32_t slot, uint64_t* frame) {
    const std::string path = SlotPath(cartridgePath, slot);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return path + ": no state saved in this slot.";
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, 4u * MachineStateSize(), bytes)) {
        return path + ": not a Plexaro save state";
    }
    if (const char* problem = LoadMachineState(bytes.data(), bytes.size(), frame)) {
        return path + ": " + problem;
    }
    Redraw();
    return {};
}

std::string Screenshot(uint32_t rgbMode, std::string* written) {
    const uint16_t* pixels = GetFrameBuffer();
    if (pixels == nullptr) return "There is no picture to save.";
    const std::string folder = PicturesFolder();
    if (std::string problem = Prepared(folder); !problem.empty()) return problem;
    for (uint32_t number = 1; number < 100000; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "/plexaro-%04u.png", number);
        const std::string path = folder + name;
        std::error_code error;
        if (fs::exists(path, error)) continue;
        if (!WritePng(path.c_str(), pixels, RecordedRowStride(), rgbMode)) {
            return path + ": can't be written.";
        }
        if (written != nullptr) *written = path;
        return {};
    }
    return folder + ": no free screenshot number left.";
}

bool RewindOneFrame(uint64_t* frame) {
    if (!RewindStepBack(frame)) return false;
    Redraw();
    return true;
}

}  // namespace plexaro
