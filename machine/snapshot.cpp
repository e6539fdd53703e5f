// The in-memory snapshot: each part of the console copied through the same entry points a
// save state uses to put it back (so a restore rebuilds the page tables and the video chip's
// derived tables exactly as a load does), minus the encoding, the checksum and the staging.
#include "machine/snapshot.h"

#include <cstring>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"
#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr size_t RamSize = ConsoleMemorySize - ConsoleWritableStart;

struct Snapshot {
    const uint8_t* memory;  // the console memory block it was taken of; null: none taken
    z80::CoreRegisters cpu;
    uint8_t ram[RamSize];
    VdpSnapshot vdp;
    PsgChip psg;
    uint8_t joypad[2];
    PpiRecord ppi;
    KeySet keys;
    BoardRecord board;
};

Snapshot kept = {};  // about 50 KB of static storage

}  // namespace

void TakeMachineSnapshot() {
    kept.memory = ConsoleMemory();
    if (kept.memory == nullptr) return;
    kept.cpu = z80::ExportRegisters();
    std::memcpy(kept.ram, kept.memory + ConsoleWritableStart, RamSize);
    VdpSave(kept.vdp);
    kept.psg = *PsgInspect(0);
    std::memcpy(kept.joypad, JoypadPorts(), sizeof kept.joypad);
    kept.ppi = SavePpi();
    kept.keys = KeysHeld();
    kept.board = SaveBoard();
    KeepSoundFrames();
    KeepCassette();
}

bool RestoreMachineSnapshot() {
    if (kept.memory == nullptr || kept.memory != ConsoleMemory()) return false;
    z80::ImportRegisters(kept.cpu);
    std::memcpy(WritableConsoleRam(), kept.ram, RamSize);
    VdpRestore(kept.vdp);
    PsgRestore(0, kept.psg);
    RestoreJoypad(kept.joypad);
    RestorePpi(kept.ppi);  // before the board: its RAM follows the machine
    HoldKeys(kept.keys);
    RestoreBoardState(kept.board);  // over the RAM, as a save state's load does
    PutBackSoundFrames();
    PutBackCassette();
    return true;
}

}  // namespace plexaro
