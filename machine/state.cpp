// Save states: the console's state written field by field in a fixed little-endian layout,
// and read back only once all of it has been checked.
#include "machine/state.h"

#include <array>
#include <cstring>

#include "cpu/z80.h"
#include "machine/machine_internal.h"
#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint8_t Magic[8] = {'P', 'L', 'X', 'S', 'T', 'A', 'T', 'E'};
constexpr size_t RamSize = ConsoleMemorySize - ConsoleWritableStart;
constexpr size_t HeaderSize = sizeof Magic + 4 + 4 + 8 + 8;
constexpr size_t CpuSize = 12 * 2 + 9 + 4;
constexpr size_t VdpSize = VdpRegisterCount + VramSize + 2 + 7;
constexpr size_t PsgSize = 8 * 2 + 1 + 4 + 4 + 4 * 4 + 4;
constexpr size_t JoypadSize = 2;
constexpr size_t CrcSize = 4;
constexpr size_t TotalSize =
    HeaderSize + CpuSize + RamSize + VdpSize + PsgSize + JoypadSize + CrcSize;

constexpr std::array<uint32_t, 256> CrcTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

// Little-endian writing and reading with a cursor; the reader never runs past the end.
struct Writer {
    uint8_t* start;
    uint8_t* at;
    void Bytes(const void* data, size_t n) {
        std::memcpy(at, data, n);
        at += n;
    }
    void Number(uint64_t value, size_t n) {
        for (size_t i = 0; i < n; ++i) *at++ = static_cast<uint8_t>(value >> (8 * i));
    }
};

struct Reader {
    const uint8_t* at;
    void Bytes(void* data, size_t n) {
        std::memcpy(data, at, n);
        at += n;
    }
    uint64_t Number(size_t n) {
        uint64_t value = 0;
        for (size_t i = 0; i < n; ++i) value |= static_cast<uint64_t>(*at++) << (8 * i);
        return value;
    }
};

void PutCpu(Writer& w, const z80::CoreRegisters& c) {
    for (uint16_t v :
         {c.af, c.bc, c.de, c.hl, c.ix, c.iy, c.pc, c.sp, c.af2, c.bc2, c.de2, c.hl2}) {
        w.Number(v, 2);
    }
    for (uint8_t v :
         {c.iff1, c.iff2, c.i, c.r, c.rHigh, c.im, c.xySource, c.irqVector, c.irqLine}) {
        w.Number(v, 1);
    }
    w.Number(static_cast<uint32_t>(c.pendingCycles), 4);
}

z80::CoreRegisters GetCpu(Reader& r) {
    z80::CoreRegisters c{};
    for (uint16_t* v :
         {&c.af, &c.bc, &c.de, &c.hl, &c.ix, &c.iy, &c.pc, &c.sp, &c.af2, &c.bc2, &c.de2, &c.hl2}) {
        *v = static_cast<uint16_t>(r.Number(2));
    }
    for (uint8_t* v :
         {&c.iff1, &c.iff2, &c.i, &c.r, &c.rHigh, &c.im, &c.xySource, &c.irqVector, &c.irqLine}) {
        *v = static_cast<uint8_t>(r.Number(1));
    }
    c.pendingCycles = static_cast<int32_t>(r.Number(4));
    return c;
}

// With a span to fill, the video memory's bytes are only pointed to.
void PutVdp(Writer& w, const VdpState& v, StateSpan* vram) {
    w.Bytes(v.registers, VdpRegisterCount);
    if (vram != nullptr) {
        *vram = {static_cast<size_t>(w.at - w.start), VramSize, v.vram, VdpTakeVramChanges()};
        w.at += VramSize;
    } else {
        w.Bytes(v.vram, VramSize);
    }
    w.Number(v.address, 2);
    for (uint32_t b : {uint32_t{v.accessCode}, uint32_t{v.readBuffer}, uint32_t{v.controlLatched},
                       uint32_t{v.firstByte}, uint32_t{v.status}, uint32_t{v.mode},
                       static_cast<uint32_t>(v.behaviour)}) {
        w.Number(b, 1);
    }
}

// Fills only the fields VdpRestore reads. False when a field holds a value the chip can't.
bool GetVdp(Reader& r, VdpState& v) {
    r.Bytes(v.registers, VdpRegisterCount);
    r.Bytes(v.vram, VramSize);
    v.address = static_cast<uint16_t>(r.Number(2));
    v.accessCode = static_cast<uint8_t>(r.Number(1));
    v.readBuffer = static_cast<uint8_t>(r.Number(1));
    const uint64_t latched = r.Number(1);
    v.controlLatched = latched != 0;
    v.firstByte = static_cast<uint8_t>(r.Number(1));
    v.status = static_cast<uint8_t>(r.Number(1));
    const uint64_t mode = r.Number(1);
    const uint64_t behaviour = r.Number(1);
    v.mode = static_cast<ScreenMode>(mode);
    v.behaviour = static_cast<VideoBehaviour>(behaviour);
    return v.address < VramSize && v.accessCode <= 3 && latched <= 1 && mode <= Multicolor &&
           behaviour <= 1;
}

void PutPsg(Writer& w, const PsgChip& p) {
    for (int32_t reg : p.registers) w.Number(static_cast<uint32_t>(reg), 2);
    w.Number(static_cast<uint32_t>(p.lastRegister), 1);
    w.Number(p.rng, 4);
    w.Number(static_cast<uint32_t>(p.noiseFeedback), 4);
    for (int32_t count : p.count) w.Number(static_cast<uint32_t>(count), 4);
    for (int32_t out : p.output) w.Number(static_cast<uint32_t>(out), 1);
}

void GetPsg(Reader& r, PsgChip& p) {
    for (int32_t& reg : p.registers) reg = static_cast<int32_t>(r.Number(2));
    p.lastRegister = static_cast<int32_t>(r.Number(1));
    p.rng = static_cast<uint32_t>(r.Number(4));
    p.noiseFeedback = static_cast<int32_t>(r.Number(4));
    for (int32_t& count : p.count) count = static_cast<int32_t>(r.Number(4));
    for (int32_t& out : p.output) out = static_cast<int32_t>(r.Number(1));
}

// What a state is read into before any of it reaches the machine.
struct Staged {
    z80::CoreRegisters cpu;
    uint8_t ram[RamSize];
    VdpState vdp;
    PsgChip psg;
    uint8_t joypad[JoypadSize];
};

}  // namespace

uint32_t Crc32(const uint8_t* bytes, size_t count) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) c = CrcTable[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t MachineStateSize() {
    return static_cast<uint32_t>(TotalSize);
}

uint64_t CartridgeHash() {
    // Worked out once per image: a rewind ring saves a state every frame.
    static uint64_t generation = ~uint64_t{0};
    static uint64_t hash = 0;
    if (generation == RomImageGeneration()) return hash;
    hash = 0xCBF29CE484222325u;
    const uint8_t* image = RomImage();
    for (size_t i = 0; i < RomImageSize; ++i) hash = (hash ^ image[i]) * 0x100000001B3u;
    generation = RomImageGeneration();
    return hash;
}

void SaveMachineState(uint64_t frame, uint8_t* out) {
    WriteMachineState(frame, out);
    SealMachineState(out);
}

void SealMachineState(uint8_t* state) {
    Writer w{state, state + TotalSize - CrcSize};
    w.Number(Crc32(state, TotalSize - CrcSize), 4);
}

namespace {

// The state, with the RAM and the video memory written out, or (spans not null) only
// pointed to.
void Write(uint64_t frame, uint8_t* out, StateSpan* spans) {
    Writer w{out, out};
    w.Bytes(Magic, sizeof Magic);
    w.Number(MachineStateVersion, 4);
    w.Number(TotalSize, 4);
    w.Number(CartridgeHash(), 8);
    w.Number(frame, 8);
    PutCpu(w, z80::ExportRegisters());
    const uint8_t* memory = ConsoleMemory();
    if (memory == nullptr) {
        std::memset(w.at, 0, RamSize);
        if (spans != nullptr) spans[0] = {static_cast<size_t>(w.at - out), RamSize, w.at, ~0ull};
        w.at += RamSize;
    } else if (spans != nullptr) {
        // The Z80 writes RAM directly: what changed there is not known.
        spans[0] = {static_cast<size_t>(w.at - out), RamSize, memory + ConsoleWritableStart, ~0ull};
        w.at += RamSize;
    } else {
        w.Bytes(memory + ConsoleWritableStart, RamSize);
    }
    PutVdp(w, VdpInspect(), spans != nullptr ? &spans[1] : nullptr);
    PutPsg(w, *PsgInspect(0));
    w.Bytes(JoypadPorts(), JoypadSize);
    w.Number(0, CrcSize);
}

}  // namespace

void WriteMachineState(uint64_t frame, uint8_t* out) {
    Write(frame, out, nullptr);
}

void WriteMachineStateAround(uint64_t frame, uint8_t* out, StateSpan* spans) {
    Write(frame, out, spans);
}

const char* LoadMachineState(const uint8_t* bytes, size_t size, uint64_t* frame) {
    if (size < HeaderSize) return "the save state is truncated";
    Reader r{bytes};
    uint8_t magic[sizeof Magic];
    r.Bytes(magic, sizeof magic);
    if (std::memcmp(magic, Magic, sizeof Magic) != 0) return "not a Plexaro save state";
    const uint64_t version = r.Number(4);
    if (version > MachineStateVersion) return "the save state was made by a newer Plexaro";
    if (version != MachineStateVersion) return "the save state's format is not known";
    const uint64_t declared = r.Number(4);
    if (declared != TotalSize || size < TotalSize) return "the save state is truncated";
    if (Crc32(bytes, TotalSize - CrcSize) !=
        static_cast<uint32_t>(Reader{bytes + TotalSize - CrcSize}.Number(4))) {
        return "the save state is damaged: its checksum does not match";
    }
    if (r.Number(8) != CartridgeHash()) return "the save state belongs to another cartridge";
    const uint64_t stateFrame = r.Number(8);
    if (ConsoleMemory() == nullptr) return "the console is not running";

    static Staged staged;  // 64 KB: kept off the stack, reused by every load
    staged.cpu = GetCpu(r);
    r.Bytes(staged.ram, RamSize);
    if (!GetVdp(r, staged.vdp)) return "the save state holds a video chip state that can't be";
    GetPsg(r, staged.psg);
    r.Bytes(staged.joypad, JoypadSize);

    z80::ImportRegisters(staged.cpu);
    std::memcpy(WritableConsoleRam(), staged.ram, RamSize);
    VdpRestore(staged.vdp);
    PsgRestore(0, staged.psg);
    RestoreJoypad(staged.joypad);
    if (frame != nullptr) *frame = stateFrame;
    return nullptr;
}

}  // namespace plexaro
