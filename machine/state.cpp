// Save states: the console's state as a header and tagged sections, written field by field in
// a little-endian layout, and read back (sectioned or in the first, fixed format) into a
// staged record that reaches the machine only once all of it has been checked.
#include "machine/state.h"

#include <array>
#include <cstring>

#include "cpu/z80.h"
#include "machine/cassette.h"
#include "machine/hash.h"
#include "machine/machine_internal.h"
#include "machine/sc3000.h"
#include "sound/psg.h"
#include "video/vdp.h"

namespace plexaro {
namespace {

constexpr uint8_t Magic[8] = {'P', 'L', 'X', 'S', 'T', 'A', 'T', 'E'};
constexpr uint32_t FirstFormat = 1;  // one fixed layout, the sections' bodies without headers
constexpr size_t RamSize = ConsoleMemorySize - ConsoleWritableStart;
constexpr size_t HeaderSize = sizeof Magic + 4 + 4 + 8 + 8;
constexpr size_t SectionHeaderSize = 4 + 4 + 4;  // tag, length, version
constexpr size_t CrcSize = 4;

constexpr const char* Truncated = "the save state is truncated";
constexpr const char* Newer = "the save state was made by a newer Plexaro";

// Eight tables for taking the CRC eight bytes at a time: a time traveller checks a 49 KB state
// each frame it goes back over, and a byte at a time that was most of its cost.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;
constexpr CrcTables CrcTable = [] {
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (size_t t = 1; t < tables.size(); ++t) {
        for (uint32_t n = 0; n < 256; ++n) {
            const uint32_t c = tables[t - 1][n];
            tables[t][n] = tables[0][c & 0xFF] ^ (c >> 8);
        }
    }
    return tables;
}();

// Little-endian writing with a cursor.
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

// Little-endian reading of one stretch of bytes. A field that the stretch is too short to
// hold, and every field after it, takes the value the caller gives for it: how a section
// saved before it grew, or not saved at all (an empty stretch), gets power-on values.
struct Reader {
    const uint8_t* at;
    const uint8_t* end;
    bool Has(size_t n) const { return static_cast<size_t>(end - at) >= n; }
    uint64_t Number(size_t n, uint64_t absent) {
        if (!Has(n)) {
            at = end;
            return absent;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < n; ++i) value |= static_cast<uint64_t>(*at++) << (8 * i);
        return value;
    }
    // False (and nothing copied) when the bytes aren't all there.
    bool Bytes(void* data, size_t n) {
        if (!Has(n)) {
            at = end;
            return false;
        }
        std::memcpy(data, at, n);
        at += n;
        return true;
    }
};

// What a state is read into before any of it reaches the machine.
struct Staged {
    z80::CoreRegisters cpu;
    uint8_t ram[RamSize];
    VdpSnapshot vdp;
    PsgChip psg;  // only the fields PsgRestore reads
    uint32_t soundFraction;
    int32_t coupling;
    uint8_t joypad[2];
    PpiRecord ppi;
    KeySet keys;
    BoardRecord board;
    uint8_t cassette[CassetteStateSize];
};

// Each section: what its current version writes, how it is read back into the staged record
// (null, or a message for values the console can't hold), and how it is put into the machine.

constexpr uint32_t CpuSize = 12 * 2 + 9 + 4;
constexpr uint16_t PowerOnAf = 0x0040;  // A in the high byte: 0; F: Z set
constexpr uint8_t R7Bits = 0x7F;        // R as the core counts it; bit 7 is rHigh's
constexpr uint8_t LastInterruptMode = 2;

void PutCpu(Writer& w, StateSpan*) {
    const z80::CoreRegisters c = z80::ExportRegisters();
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

const char* GetCpu(Reader& r, Staged& s) {
    z80::CoreRegisters& c = s.cpu;
    // As z80::Reset leaves the core: A clear and F with Z set, IX and IY all ones, everything
    // else clear.
    for (uint16_t* v :
         {&c.af, &c.bc, &c.de, &c.hl, &c.ix, &c.iy, &c.pc, &c.sp, &c.af2, &c.bc2, &c.de2, &c.hl2}) {
        const uint16_t powerOn = v == &c.af ? PowerOnAf : v == &c.ix || v == &c.iy ? 0xFFFF : 0;
        *v = static_cast<uint16_t>(r.Number(2, powerOn));
    }
    for (uint8_t* v :
         {&c.iff1, &c.iff2, &c.i, &c.r, &c.rHigh, &c.im, &c.xySource, &c.irqVector, &c.irqLine}) {
        *v = static_cast<uint8_t>(r.Number(1, 0));
    }
    // Read as the signed number it was written as; only then compared, so that no value of
    // the four bytes reaches the core's budget arithmetic unchecked.
    const auto pending = static_cast<int32_t>(static_cast<uint32_t>(r.Number(4, 0)));
    c.pendingCycles = pending;
    const bool canBe = c.iff1 <= 1 && c.iff2 <= 1 && c.r <= R7Bits && (c.rHigh & R7Bits) == 0 &&
                       c.im <= LastInterruptMode && c.irqLine <= 1 &&
                       pending >= -z80::PendingCyclesLimit && pending <= z80::PendingCyclesLimit;
    return canBe ? nullptr : "the save state holds a CPU state that can't be";
}

void ApplyCpu(const Staged& s) {
    z80::ImportRegisters(s.cpu);
}

// With spans to fill, the RAM's bytes are only pointed to.
void PutRam(Writer& w, StateSpan* spans) {
    const uint8_t* memory = ConsoleMemory();
    if (memory == nullptr) {
        std::memset(w.at, 0, RamSize);
        if (spans != nullptr)
            spans[0] = {static_cast<size_t>(w.at - w.start), RamSize, w.at, ~0ull};
        w.at += RamSize;
    } else if (spans != nullptr) {
        // The Z80 writes RAM directly: what changed there is not known.
        spans[0] = {static_cast<size_t>(w.at - w.start), RamSize, memory + ConsoleWritableStart,
                    ~0ull};
        w.at += RamSize;
    } else {
        w.Bytes(memory + ConsoleWritableStart, RamSize);
    }
}

const char* GetRam(Reader& r, Staged& s) {
    if (r.Bytes(s.ram, RamSize)) return nullptr;
    // As power-on leaves it: zeros, under the part of a 40 KB image that lies above 0x8000.
    std::memset(s.ram, 0, RamSize);
    std::memcpy(s.ram, RomImage() + ConsoleWritableStart, RomImageSize - ConsoleWritableStart);
    return nullptr;
}

void ApplyRam(const Staged& s) {
    std::memcpy(WritableConsoleRam(), s.ram, RamSize);
}

// The video chip is reached only through PutVdp and GetVdp, and only through the fields a
// state keeps of it.
constexpr uint32_t VdpSize = VdpRegisterCount + VramSize + 2 + 7;

// With a span to fill, the video memory's bytes are only pointed to.
void PutVdp(Writer& w, StateSpan* spans) {
    const VdpView v = VdpInspect();
    w.Bytes(v.registers, VdpRegisterCount);
    if (spans != nullptr) {
        spans[1] = {static_cast<size_t>(w.at - w.start), VramSize, v.vram, VdpTakeVramChanges()};
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

// Fills only the fields VdpRestore reads; what is missing is as power-on leaves the chip, in
// the behaviour selected now. False when a field holds a value the chip can't.
bool GetVdp(Reader& r, VdpSnapshot& v) {
    if (!r.Bytes(v.registers, VdpRegisterCount)) std::memset(v.registers, 0, VdpRegisterCount);
    if (!r.Bytes(v.vram, VramSize)) std::memset(v.vram, 0, VramSize);
    v.address = static_cast<uint16_t>(r.Number(2, 0));
    v.accessCode = static_cast<uint8_t>(r.Number(1, 0));
    v.readBuffer = static_cast<uint8_t>(r.Number(1, 0));
    const uint64_t latched = r.Number(1, 0);
    v.controlLatched = latched != 0;
    v.firstByte = static_cast<uint8_t>(r.Number(1, 0));
    v.status = static_cast<uint8_t>(r.Number(1, 0));
    const uint64_t mode = r.Number(1, Text);
    const uint64_t behaviour = r.Number(1, SelectedVideoBehaviour());
    v.mode = static_cast<ScreenMode>(mode);
    v.behaviour = static_cast<VideoBehaviour>(behaviour);
    return v.address < VramSize && v.accessCode <= 3 && latched <= 1 && mode <= Multicolor &&
           behaviour <= 1;
}

const char* GetVideo(Reader& r, Staged& s) {
    return GetVdp(r, s.vdp) ? nullptr : "the save state holds a video chip state that can't be";
}

void ApplyVideo(const Staged& s) {
    VdpRestore(s.vdp);
}

// Version 2 adds where the next frame starts within a sample (the hardware behaviour's
// frames of 735 or 736 samples); version 1 states start at a whole sample. Version 3 adds the
// hardware behaviour's output coupling, whose capacitor starts without charge in older ones.
constexpr uint32_t PsgSize = 8 * 2 + 1 + 4 + 4 + 4 * 4 + 4 + 4 + 4;

void PutPsg(Writer& w, StateSpan*) {
    const PsgChip& p = *PsgInspect(0);
    for (int32_t reg : p.registers) w.Number(static_cast<uint32_t>(reg), 2);
    w.Number(static_cast<uint32_t>(p.lastRegister), 1);
    w.Number(p.rng, 4);
    w.Number(static_cast<uint32_t>(p.noiseFeedback), 4);
    for (int32_t count : p.count) w.Number(static_cast<uint32_t>(count), 4);
    for (int32_t out : p.output) w.Number(static_cast<uint32_t>(out), 1);
    w.Number(SoundFraction(), 4);
    w.Number(static_cast<uint32_t>(CouplingLevel()), 4);
}

// What is missing is as PsgInit leaves the chip: silent, the noise register preset, and the
// feedback and the step as the running chip has them (PsgInit keeps those).
const char* GetPsg(Reader& r, Staged& s) {
    const PsgChip& running = *PsgInspect(0);
    PsgChip& p = s.psg;
    for (int i = 0; i < 8; ++i) p.registers[i] = static_cast<int32_t>(r.Number(2, i & 1 ? 15 : 0));
    p.lastRegister = static_cast<int32_t>(r.Number(1, 0));
    p.rng = static_cast<uint32_t>(r.Number(4, PSG_NOISE_PRESET));
    p.noiseFeedback =
        static_cast<int32_t>(r.Number(4, static_cast<uint32_t>(running.noiseFeedback)));
    for (int32_t& count : p.count) {
        count = static_cast<int32_t>(r.Number(4, static_cast<uint32_t>(running.updateStep)));
    }
    for (int i = 0; i < 4; ++i) {
        p.output[i] = static_cast<int32_t>(r.Number(1, i == 3 ? PSG_NOISE_PRESET & 1 : 0));
    }
    const uint64_t fraction = r.Number(4, 0);
    if (fraction >= static_cast<uint64_t>(ConsoleClockHz)) {
        return "the save state holds a sound chip state that can't be";
    }
    s.soundFraction = static_cast<uint32_t>(fraction);
    const uint64_t coupling = r.Number(4, 0);
    if (coupling > static_cast<uint64_t>(MostCouplingLevel)) {
        return "the save state holds a sound chip state that can't be";
    }
    s.coupling = static_cast<int32_t>(coupling);
    return nullptr;
}

void ApplyPsg(const Staged& s) {
    PsgRestore(0, s.psg);
    RestoreSoundFraction(s.soundFraction);
    RestoreCouplingLevel(s.coupling);
}

constexpr uint32_t JoypadSize = 2;

void PutJoypad(Writer& w, StateSpan*) {
    w.Bytes(JoypadPorts(), JoypadSize);
}

const char* GetJoypad(Reader& r, Staged& s) {
    for (uint8_t& port : s.joypad) port = static_cast<uint8_t>(r.Number(1, 0xFF));
    return nullptr;
}

void ApplyJoypad(const Staged& s) {
    RestoreJoypad(s.joypad);
}

// The SC-3000's PPI and the machine running (before the board, whose RAM follows the machine),
// the keys held, and the machine's cycle count. A state from before it is of the SG-1000.
constexpr uint32_t PpiSize = 1 + 1 + 1 + 3 + 1 + 1 + 8 + 8;

void PutPpi(Writer& w, StateSpan*) {
    const PpiRecord p = SavePpi();
    for (uint32_t v : {p.machine, uint32_t{p.autoWatch}, uint32_t{p.scanned}}) w.Number(v, 1);
    w.Bytes(p.latch, sizeof p.latch);
    w.Number(p.control, 1);
    w.Number(p.resetHeld, 1);
    w.Number(p.frameBase, 8);
    w.Number(KeysHeld(), 8);
}

const char* GetPpi(Reader& r, Staged& s) {
    PpiRecord& p = s.ppi;
    const uint64_t machine = r.Number(1, MachineSg1000);
    const uint64_t autoWatch = r.Number(1, 0);
    const uint64_t scanned = r.Number(1, 0);
    for (uint8_t& latch : p.latch) latch = static_cast<uint8_t>(r.Number(1, 0));
    p.control = static_cast<uint8_t>(r.Number(1, 0x9B));
    const uint64_t resetHeld = r.Number(1, 0);
    p.frameBase = r.Number(8, 0);
    s.keys = r.Number(8, 0);
    if ((machine != MachineSg1000 && machine != MachineSc3000) || autoWatch > 1 || scanned > 1 ||
        resetHeld > 1 || s.keys >= KeyBit(KbCount)) {
        return "the save state holds a keyboard state that can't be";
    }
    p.machine = static_cast<uint32_t>(machine);
    p.autoWatch = autoWatch == 1;
    p.scanned = scanned == 1;
    p.resetHeld = resetHeld == 1;
    return nullptr;
}

void ApplyPpi(const Staged& s) {
    RestorePpi(s.ppi);
    HoldKeys(s.keys);
}

// The board: its kind, whether the console RAM is the hardware's 1 KB, the mapper's
// registers as last written (the RAM section holds any cartridge RAM, where the CPU writes
// it). Put last, so that it is applied over the RAM the RAM section restored.
constexpr uint32_t BoardSize = 1 + 1 + 1 + 3;

void PutBoard(Writer& w, StateSpan*) {
    const BoardRecord b = SaveBoard();
    for (uint32_t v : {b.kind, uint32_t{b.ram1k}, uint32_t{b.control}}) w.Number(v, 1);
    w.Bytes(b.registers, sizeof b.registers);
}

// A state from before boards is of the flat board with the simple behaviour's RAM.
const char* GetBoard(Reader& r, Staged& s) {
    BoardRecord& b = s.board;
    const uint64_t kind = r.Number(1, BoardFlat);
    const uint64_t ram1k = r.Number(1, 0);
    b.control = static_cast<uint8_t>(r.Number(1, 0));
    for (uint32_t slot = 0; slot < 3; ++slot)
        b.registers[slot] = static_cast<uint8_t>(r.Number(1, slot));
    if (kind == BoardAuto || kind >= BoardKindCount || ram1k > 1) {
        return "the save state holds a cartridge board that can't be";
    }
    b.kind = static_cast<uint32_t>(kind);
    b.ram1k = ram1k == 1;
    return nullptr;
}

void ApplyBoard(const Staged& s) {
    RestoreBoardState(s.board);
}

// The cassette recorder: which tape, where it stands, what its buttons are. A state from
// before the recorder has it stopped at the start.
void PutCassette(Writer& w, StateSpan*) {
    SaveCassette(w.at);
    w.at += CassetteStateSize;
}

const char* GetCassette(Reader& r, Staged& s) {
    if (!r.Bytes(s.cassette, CassetteStateSize)) {
        std::memset(s.cassette, 0, sizeof s.cassette);
        return nullptr;
    }
    return CheckCassette(s.cassette) ? nullptr : "the save state holds a cassette that can't be";
}

void ApplyCassette(const Staged& s) {
    RestoreCassette(s.cassette);
}

constexpr uint32_t Tag(const char (&name)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(name[3])) << 24;
}

struct SectionKind {
    uint32_t tag;
    uint32_t version;  // of what this build writes; a newer one is refused
    uint32_t size;     // bytes this build writes
    // Bytes in a first-format state, where the sections lay one after the other in this
    // table's order without headers; 0 for a section that came later. Never changes.
    uint32_t firstFormatSize;
    void (*put)(Writer&, StateSpan*);
    const char* (*get)(Reader&, Staged&);
    void (*apply)(const Staged&);
};

// In the order they are written, read and applied.
constexpr SectionKind Sections[] = {
    {Tag("CPU "), 1, CpuSize, 37, PutCpu, GetCpu, ApplyCpu},
    {Tag("RAM "), 1, RamSize, 32768, PutRam, GetRam, ApplyRam},
    {Tag("VDP "), 1, VdpSize, 16401, PutVdp, GetVideo, ApplyVideo},
    {Tag("PSG "), 3, PsgSize, 45, PutPsg, GetPsg, ApplyPsg},
    {Tag("JOYP"), 1, JoypadSize, 2, PutJoypad, GetJoypad, ApplyJoypad},
    {Tag("PPI "), 1, PpiSize, 0, PutPpi, GetPpi, ApplyPpi},
    {Tag("BORD"), 1, BoardSize, 0, PutBoard, GetBoard, ApplyBoard},
    {Tag("TAPE"), 1, CassetteStateSize, 0, PutCassette, GetCassette, ApplyCassette},
};
constexpr size_t SectionCount = std::size(Sections);

constexpr size_t TotalSize = [] {
    size_t total = HeaderSize + CrcSize;
    for (const SectionKind& s : Sections) total += SectionHeaderSize + s.size;
    return total;
}();
constexpr size_t FirstFormatSize = [] {
    size_t total = HeaderSize + CrcSize;
    for (const SectionKind& s : Sections) total += s.firstFormatSize;
    return total;
}();
static_assert(FirstFormatSize == 49289);
static_assert(TotalSize < 64 * 1024);

// Where each known section's bytes lie: in a sectioned state, found by tag in any order,
// unknown tags and repeats of a known one passed over; absent ones stay empty.
const char* FindSections(const uint8_t* at, const uint8_t* end, Reader* bodies) {
    while (at != end) {
        Reader header{at, end};
        if (!header.Has(SectionHeaderSize)) return Truncated;
        const uint64_t tag = header.Number(4, 0);
        const uint64_t length = header.Number(4, 0);
        const uint64_t version = header.Number(4, 0);
        at = header.at;
        if (length > static_cast<size_t>(end - at)) return Truncated;
        for (size_t i = 0; i < SectionCount; ++i) {
            if (tag != Sections[i].tag) continue;
            if (version > Sections[i].version) return Newer;
            if (bodies[i].at == nullptr) bodies[i] = {at, at + length};
        }
        at += length;
    }
    return nullptr;
}

// The same for a first-format state, whose size has been checked.
void FindFirstFormatSections(const uint8_t* at, Reader* bodies) {
    for (size_t i = 0; i < SectionCount; ++i) {
        if (Sections[i].firstFormatSize == 0) continue;
        bodies[i] = {at, at + Sections[i].firstFormatSize};
        at += Sections[i].firstFormatSize;
    }
}

// The state, with the RAM and the video memory written out, or (spans not null) only
// pointed to.
void Write(uint64_t frame, uint8_t* out, StateSpan* spans) {
    Writer w{out, out};
    w.Bytes(Magic, sizeof Magic);
    w.Number(MachineStateVersion, 4);
    w.Number(TotalSize, 4);
    w.Number(CartridgeHash(), 8);
    w.Number(frame, 8);
    for (const SectionKind& s : Sections) {
        w.Number(s.tag, 4);
        w.Number(s.size, 4);
        w.Number(s.version, 4);
        s.put(w, spans);
    }
    w.Number(0, CrcSize);
}

}  // namespace

uint32_t Crc32(const uint8_t* bytes, size_t count) {
    uint32_t c = 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint32_t low = c ^ (bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                                  static_cast<uint32_t>(bytes[i + 3]) << 24);
        c = CrcTable[7][low & 0xFF] ^ CrcTable[6][(low >> 8) & 0xFF] ^
            CrcTable[5][(low >> 16) & 0xFF] ^ CrcTable[4][low >> 24] ^ CrcTable[3][bytes[i + 4]] ^
            CrcTable[2][bytes[i + 5]] ^ CrcTable[1][bytes[i + 6]] ^ CrcTable[0][bytes[i + 7]];
    }
    for (; i < count; ++i) c = CrcTable[0][(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t MachineStateSize() {
    return static_cast<uint32_t>(TotalSize);
}

size_t StateLength(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size < HeaderSize || std::memcmp(bytes, Magic, sizeof Magic) != 0) {
        return 0;
    }
    Reader r{bytes + sizeof Magic + 4, bytes + HeaderSize};
    return static_cast<size_t>(r.Number(4, 0));
}

uint64_t CartridgeHash() {
    // Worked out once per image: a rewind ring saves a state every frame.
    static uint64_t generation = ~uint64_t{0};
    static uint64_t hash = 0;
    if (generation == RomImageGeneration()) return hash;
    hash = Fnv1a64(FnvOffsetBasis, RomImage(), RomImageLength());
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

void WriteMachineState(uint64_t frame, uint8_t* out) {
    Write(frame, out, nullptr);
}

void WriteMachineStateAround(uint64_t frame, uint8_t* out, StateSpan* spans) {
    Write(frame, out, spans);
}

bool StateCartridgeHash(const uint8_t* bytes, size_t size, uint64_t* hash) {
    if (size < HeaderSize || std::memcmp(bytes, Magic, sizeof Magic) != 0) return false;
    Reader r{bytes + sizeof Magic + 4 + 4, bytes + HeaderSize};  // past the version and size
    *hash = r.Number(8, 0);
    return true;
}

const char* LoadMachineState(const uint8_t* bytes, size_t size, uint64_t* frame) {
    if (size < HeaderSize) return Truncated;
    Reader r{bytes, bytes + HeaderSize};
    uint8_t magic[sizeof Magic] = {};
    r.Bytes(magic, sizeof magic);
    if (std::memcmp(magic, Magic, sizeof Magic) != 0) return "not a Plexaro save state";
    const uint64_t version = r.Number(4, 0);
    if (version > MachineStateVersion) return Newer;
    if (version < FirstFormat) return "the save state's format is not known";
    const uint64_t declared = r.Number(4, 0);
    const bool first = version == FirstFormat;
    if ((first && declared != FirstFormatSize) || declared < HeaderSize + CrcSize ||
        size < declared) {
        return Truncated;
    }
    const uint8_t* end = bytes + declared - CrcSize;
    if (Crc32(bytes, declared - CrcSize) !=
        static_cast<uint32_t>(Reader{end, end + CrcSize}.Number(CrcSize, 0))) {
        return "the save state is damaged: its checksum does not match";
    }
    if (r.Number(8, 0) != CartridgeHash()) return "the save state belongs to another cartridge";
    const uint64_t stateFrame = r.Number(8, 0);
    if (ConsoleMemory() == nullptr) return "the console is not running";

    Reader bodies[SectionCount] = {};
    if (first) {
        FindFirstFormatSections(bytes + HeaderSize, bodies);
    } else if (const char* problem = FindSections(bytes + HeaderSize, end, bodies)) {
        return problem;
    }
    static Staged staged;  // 48 KB: kept off the stack, reused by every load
    for (size_t i = 0; i < SectionCount; ++i) {
        if (const char* problem = Sections[i].get(bodies[i], staged)) return problem;
    }
    for (const SectionKind& s : Sections) s.apply(staged);
    if (frame != nullptr) *frame = stateFrame;
    return nullptr;
}

}  // namespace plexaro
