// The State menu's work: slot files, screenshots and rewinding, without any window.
#include "host/snapshots.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host/media.h"
#include "host/rewind.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

std::string FromEnvironment(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/" + fallbackUnderHome;
}

std::string Prepared(const std::string& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    return error ? folder + ": " + error.message() : std::string();
}

// The picture of the state just loaded, drawn from its registers and video memory. Drawing
// changes the status bits, so the chip is put back exactly as the state left it.
void Redraw() {
    static VdpState kept;  // 16 KB: kept off the stack
    kept = VdpInspect();
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
    DebuggerResetPosition();
    RewindClear();
    Redraw();
    return {};
}

std::string Screenshot(uint32_t rgbMode, std::string* written) {
    const uint16_t* pixels = GetFrameBuffer();
    if (pixels == nullptr) return "There is no picture to save.";
    const std::string folder = FromEnvironment("XDG_PICTURES_DIR", "Pictures");
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
    DebuggerResetPosition();
    Redraw();
    return true;
}

}  // namespace plexaro
