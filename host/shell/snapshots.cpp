// The State menu's work: slot files, screenshots and rewinding, without any window.
#include "host/shell/snapshots.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host/debug/timetravel.h"
#include "host/media.h"
#include "host/os/os.h"
#include "host/shell/rewind.h"
#include "machine/debugger.h"
#include "machine/machine.h"
#include "machine/state.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

namespace fs = std::filesystem;

// The folder for slot files, made when missing; empty with `problem` said when there is none.
std::string PreparedStatesFolder(std::string& problem) {
    const std::string folder = StatesFolder();
    if (folder.empty()) {
        problem = "There is no folder to keep states in: the system names no data folder.";
    } else if (std::string why = MakeFolders(folder); !why.empty()) {
        problem = folder + ": " + why;
    }
    return problem.empty() ? folder : std::string();
}

// Before slots were keyed by the cartridge's contents, a slot file was named after the
// cartridge's file alone, so two games of one name shared it.
std::string UnkeyedSlotPath(const std::string& cartridgePath, uint32_t slot) {
    return StatesFolder() + "/" + TextOf(PathOf(cartridgePath).filename()) + "." +
           std::to_string(slot + 1) + ".state";
}

// The file that holds the running cartridge's slot: an unkeyed one made from this very
// cartridge takes the keyed name now (another game's of the same name is left where it is).
// Should the move fail, the unkeyed file is still the one to read.
std::string SlotFile(const std::string& cartridgePath, uint32_t slot) {
    const std::string keyed = SlotPath(cartridgePath, CartridgeHash(), slot);
    const std::string unkeyed = UnkeyedSlotPath(cartridgePath, slot);
    std::error_code error;
    if (fs::exists(PathOf(keyed), error) || !fs::is_regular_file(PathOf(unkeyed), error))
        return keyed;
    std::vector<uint8_t> bytes;
    uint64_t madeFrom = 0;
    if (!ReadWholeFile(unkeyed, 4u * MachineStateSize(), bytes) ||
        !StateCartridgeHash(bytes.data(), bytes.size(), &madeFrom) || madeFrom != CartridgeHash()) {
        return keyed;
    }
    fs::rename(PathOf(unkeyed), PathOf(keyed), error);
    return error ? unkeyed : keyed;
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
    TimeTravelClear();  // the debugger's way back leads to the machine before, too
}

std::string StatesFolder() {
    const std::string data = UserDataFolder();
    return data.empty() ? data : data + "/plexaro/states";
}

std::string SlotPath(const std::string& cartridgePath, uint64_t cartridgeHash, uint32_t slot) {
    char key[16];
    std::snprintf(key, sizeof key, "-%08x.", static_cast<uint32_t>(cartridgeHash >> 32));
    return StatesFolder() + "/" + TextOf(PathOf(cartridgePath).filename()) + key +
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
    std::string problem;
    if (PreparedStatesFolder(problem).empty()) return problem;
    std::vector<uint8_t> bytes(MachineStateSize());
    SaveMachineState(frame, bytes.data());
    // Through SlotFile, so that an unkeyed file of this cartridge is replaced, not left behind.
    const std::string path = SlotFile(cartridgePath, slot);
    if (std::string why = ReplaceWholeFile(path, bytes.data(), bytes.size()); !why.empty()) {
        return TextOf(PathOf(path).filename()) + " can't be written: " + why + ".";
    }
    return {};
}

std::string LoadSlot(const std::string& cartridgePath, uint32_t slot, uint64_t* frame) {
    const std::string path = SlotFile(cartridgePath, slot);
    std::error_code error;
    if (!fs::is_regular_file(PathOf(path), error)) return path + ": no state saved in this slot.";
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

std::string Screenshot(const std::string& cartridgePath, uint32_t rgbMode, std::string* written) {
    const uint16_t* pixels = GetFrameBuffer();
    // Without a cartridge there is only the empty picture: nothing worth a file.
    if (pixels == nullptr || cartridgePath.empty())
        return "no cartridge running: nothing to capture";
    const std::string folder = UserPicturesFolder();
    if (folder.empty()) return "no pictures folder: the system names none";
    if (std::string why = MakeFolders(folder); !why.empty()) return folder + ": " + why;
    for (uint32_t number = 1; number < 100000; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "plexaro-%04u.png", number);
        const std::string path = folder + "/" + name;
        std::error_code error;
        if (fs::exists(PathOf(path), error)) continue;
        if (std::string why = WritePng(path, pixels, RecordedRowStride(), rgbMode); !why.empty()) {
            return std::string(name) + " can't be written: " + why;
        }
        if (written != nullptr) *written = path;
        return {};
    }
    return folder + ": no free screenshot number left.";
}

bool RewindOneFrame(uint64_t* frame) {
    if (!RewindStepBack(frame)) return false;
    TimeTravelClear();
    Redraw();
    return true;
}

}  // namespace plexaro
