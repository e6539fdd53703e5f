// The Z80 core: one emulated Zilog Z80, executing for a budget of clock cycles.
//
// There is exactly one core per process; every operation acts on it without a handle.
// Unit of time: one CPU clock cycle (T-state). Addresses and ports are 16-bit values and
// bytes travel in the low 8 bits of 32-bit integers.
//
// Memory is described by page tables of 256-byte pages. Opcode and operand bytes always
// come straight from host memory through the fetch table. Data reads and writes go through
// the read and write tables: a page is either direct (a pre-biased host pointer, so that
// the byte for address A is pointer[A]) or served by a handler. Pages that a region covers
// only in part are served by a dispatcher that walks the region list in insertion order;
// EndMemoryMap closes each list with a catch-all that sends everything else to the
// unmapped handlers (reads give 0xFF, writes are dropped).
//
// Typical use, as the console does it:
//
//     z80::BeginMemoryMap();
//     z80::MapFetch(0x0000, 0xFFFF, memory);
//     z80::MapRead(0x0000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory});
//     z80::MapWrite(0x8000, 0xFFFF, z80::MapDirect, z80::RegionData{.memory = memory + 0x8000});
//     z80::EndMemoryMap();
//     z80::SetInHandler(PortIn);
//     z80::SetOutHandler(PortOut);
//     z80::Reset();
//     for (;;) z80::Run(227);  // one scanline's worth at a time
//
// Interrupts are taken by RaiseIrq and TriggerNmi themselves (or at the close of the
// one-instruction window after EI), never by polling between instructions. The cycles of
// an interrupt response taken during a Run come off that Run's budget; those of a response
// taken between runs are added to the budget of the next Run.
#pragma once

#include <cstdint>

namespace plexaro::z80 {

using ReadHandler = uint32_t (*)(uint32_t address);
using WriteHandler = void (*)(uint32_t address, uint32_t value);
using InHandler = uint32_t (*)(uint32_t port);
using OutHandler = void (*)(uint32_t port, uint32_t value);
using RetiHandler = void (*)();

// How a region added by MapRead or MapWrite reaches its bytes.
enum MapMethod : uint32_t {
    MapDirect = 0,   // host memory; the pointer designates the byte of the region's first address
    MapHandled = 1,  // a handler, called with the full CPU address
};

// The data of a region: host memory for MapDirect, the handler for MapHandled
// (`read` for MapRead, `write` for MapWrite).
union RegionData {
    uint8_t* memory;
    ReadHandler read;
    WriteHandler write;
};

// Register indexes for GetRegister and SetRegister. Any index above RegIrqLine acts as RegIR.
enum Z80Register : uint32_t {
    RegAF = 0,  // A in bits 8-15, F in bits 0-7
    RegBC = 1,
    RegDE = 2,
    RegHL = 3,
    RegIX = 4,
    RegIY = 5,
    RegPC = 6,
    RegSP = 7,
    RegAltAF = 8,
    RegAltBC = 9,
    RegAltDE = 10,
    RegAltHL = 11,
    RegIFF1 = 12,       // 1 if enabled
    RegIFF2 = 13,       // 1 if enabled
    RegIR = 14,         // I in bits 8-15, R in bits 0-7
    RegIM = 15,         // interrupt mode 0, 1 or 2
    RegIrqVector = 16,  // data byte of the last RaiseIrq
    RegIrqLine = 17,    // 1 while the maskable interrupt line is asserted
};

// Defaults for unmapped memory and uninstalled ports.
uint32_t UnmappedRead(uint32_t address);               // always 0xFF
void UnmappedWrite(uint32_t address, uint32_t value);  // does nothing

// Memory map. Whole-page operations round unaligned bounds inward to whole pages.
void BeginMemoryMap();
void MapFetch(uint32_t start, uint32_t end, const uint8_t* memory);
void MapReadPages(uint32_t start, uint32_t end, uint8_t* memory);
void MapWritePages(uint32_t start, uint32_t end, uint8_t* memory);
// Regions: end is inclusive. At most 63 per list between BeginMemoryMap and EndMemoryMap;
// further ones are ignored. A method other than MapDirect or MapHandled acts as MapHandled
// with the unmapped handler.
void MapRead(uint32_t start, uint32_t end, uint32_t method, RegionData data);
void MapWrite(uint32_t start, uint32_t end, uint32_t method, RegionData data);
void EndMemoryMap();
// Whole pages handed to a handler without a region, at any time: for a tool that watches
// every data access and passes each on itself. Fetches stay as they are.
void MapReadHandlerPages(uint32_t start, uint32_t end, ReadHandler handler);
void MapWriteHandlerPages(uint32_t start, uint32_t end, WriteHandler handler);

// Port hooks. IN A,(n) and OUT (n),A pass A:n; the (C) forms pass BC; the block forms pass C.
void SetInHandler(InHandler handler);
void SetOutHandler(OutHandler handler);
void SetRetiHandler(RetiHandler handler);

// Power-on registers: everything zero except IX = IY = 0xFFFF and AF = 0x0040.
// The memory map, handlers and run counters are untouched.
void Reset();

// Executes whole instructions until the budget (plus pending interrupt-response cycles)
// is spent; returns the cycles elapsed, which may exceed the budget by the last
// instruction's overshoot. A budget of 0 runs exactly one instruction. Must not be negative.
uint32_t Run(int32_t cycles);

// One instruction, executed as the next one of a Run with `left` cycles of its budget still
// to spend would execute it; returns the cycles it took, an interrupt response taken during
// it included. Steps taken one after the other, each given what the ones before left of a
// budget, end up exactly where that Run would, R included. The unit is the core's own:
// EI runs together with the instruction after it, a DD or FD prefix that changes nothing is
// a step of its own, and each repetition of LDIR and its kin is one step (the next Step goes
// on with the next repetition while budget is left; once it is spent, the instruction is
// fetched again, as by the next Run). A HALT takes 4 cycles and stays where it is, where the
// Run would end. Response cycles waiting from between runs stay waiting.
uint32_t Step(int32_t left);
// Step, with where the Run it stands in for would be after it, for a caller that runs a
// line's budget one instruction at a time: the cycles Step returns, what Run would have left
// of the budget (`left` less the cycles; at a HALT, HALT's own rule: `left` AND 3, less 4),
// and whether a HALT ended the budget there. Run ends once what is left is 0 or below.
struct StepInRun {
    uint32_t cycles;
    int32_t left;
    bool halted;
};
StepInRun StepWithinRun(int32_t left);

// From a memory handler inside Run, RaiseIrq and TriggerNmi are answered as soon as the
// instruction in progress completes; from a port handler during INIR, INDR, OTIR or OTDR,
// the repetition stops after the current step and resumes after the interrupt routine.
void RaiseIrq(uint32_t vector);  // asserts the line; takes the interrupt now if IFF1 is set
void LowerIrq();                 // releases the line, nothing else
void TriggerNmi();               // takes a non-maskable interrupt now

// For handlers called from inside Run.
uint32_t ElapsedCycles();       // cycles of the current Run so far
int32_t StopRun();              // ends Run after this instruction; returns the budget found left
void SkipRemainingCycles();     // ends Run after this instruction, the whole budget counted
void AddWaitCycles(int32_t n);  // the elapsed count grows by n, the budget does not shrink

// Between runs: the interrupt-response cycles waiting for the next Run, taken out of the
// core (a stepping debugger charges them to the scanline itself), and given back.
// What a caller keeps there stays within PendingCyclesLimit either way: a few responses
// owed, or what a line ran past its end (an endless chain of EIs ends its run up to about
// 1050 cycles late), so that a budget with them added never nears the limits of int32_t.
inline constexpr int32_t PendingCyclesLimit = 2048;
int32_t TakePendingCycles();
void AddPendingCycles(int32_t n);

// A debugger's watch on data reads and writes (opcode fetches are not data). WatchPages routes
// every read of the 256-byte pages set in `reads` and every write of those set in `writes`
// (256 bits each: bit n%64 of word n/64 is page n) through `observer` and then on to what the
// page maps; UnwatchPages puts back each page still routed, and leaves a page the program
// remapped meanwhile (a mapper's bank switch) as the program left it. Meant around single
// Steps: a watched page is slower, never different.
using AccessObserver = void (*)(uint32_t address, uint32_t value, bool write);
void WatchPages(const uint64_t* reads, const uint64_t* writes, AccessObserver observer);
void UnwatchPages();
// The same for the program's IN and OUT: every port access goes through `observer` (the port
// as the instruction puts it on the bus, the byte read or written, whether it is an OUT) and
// then on to the handlers installed. Handlers installed while the watch is on go behind it,
// and UnwatchPorts leaves the latest ones installed.
using PortObserver = void (*)(uint32_t port, uint32_t value, bool out);
void WatchPorts(PortObserver observer);
void UnwatchPorts();

uint32_t GetRegister(uint32_t index);
void SetRegister(uint32_t index, uint32_t value);

// What lives on between two runs, as plain numbers, for save states that outlive the
// process: the registers exactly as the core keeps them (F's bits 3 and 5 come from
// xySource), R in two parts, the interrupt state and the interrupt-response cycles still to
// be charged. The one-instruction window after EI always closes inside the run that opened
// it, so between runs there is none to keep. The memory map and the handlers are not in it.
struct CoreRegisters {
    uint16_t af, bc, de, hl, ix, iy, pc, sp;  // af: A in bits 8-15
    uint16_t af2, bc2, de2, hl2;
    uint8_t iff1, iff2, i, r, rHigh, im, xySource, irqVector, irqLine;
    int32_t pendingCycles;
};
CoreRegisters ExportRegisters();
void ImportRegisters(const CoreRegisters& registers);

}  // namespace plexaro::z80
