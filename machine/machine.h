// The console machine: the SG-1000 as a whole. It owns the 64 KB console memory, the
// cartridge image and the sound frame buffer, wires the Z80 core, the video chip and the
// sound chip together, and runs them one video frame at a time.
//
// In: a cartridge file or its bytes (LoadCartridge, LoadCartridgeBytes), the joypad controls
// held this frame (ClearJoypad, PressJoypad, PressJoypad2), the pause button. Out: after each
// RunFrame, the picture (GetFrameBuffer, 192 rows of RecordedRowStride() pixels) and the frame's
// sound (MakeSoundFrame, SoundFrameSamples() samples at 44100 Hz).
//
// Unit of time: one frame of 262 scanlines; the CPU runs a line's cycles, then the video
// chip draws it (lines 0 to 191). The frame interrupt is requested after each of lines 192
// to 195 while the video chip's frame flag and interrupt enable are both set, so it stays
// requested until the program reads the status port.
//
// The two behaviours (SelectVideoBehaviour) differ in time as well as in picture. Simple: 227
// cycles a line, 60 frames a second, and every write to the sound chip applies to the whole
// frame's 735 samples, and a line's last instruction may run past the line's end. Hardware:
// 228 cycles a line as on the console (59,736 a frame, 59.92 frames a second), and what an
// instruction runs past a line's end comes off the next line, so the lines keep the console's
// time; a write to the sound chip takes effect at its cycle within the frame, and a frame has
// 736 samples or, now and then, 735.
//
// Memory map (board.h has the others): on the flat board in the simple behaviour, the
// cartridge image covers 0x0000-0x9FFF; 0x0000-0x7FFF cannot be written, 0x8000-0xFFFF is
// plain RAM (including the upper 8 KB of a 40 KB image, which a reset restores). I/O ports
// decode only their low byte.
//
// Typical use, as a host does it:
//
//     InitMachine(256);
//     if (const char* error = LoadCartridge(path)) fail(error);
//     for (;;) {
//         ClearJoypad();
//         if (leftHeld) PressJoypad(JoypadLeft);
//         RunFrame();
//         Present(GetFrameBuffer(), RecordedRowStride());
//         const int16_t* sound = MakeSoundFrame();
//         Play(sound, SoundFrameSamples());
//     }
//     ShutdownMachine();
//
// Operations that can fail return a static message text (never freed), or null on success.
#pragma once

#include <cstddef>
#include <cstdint>

#include "video/vdp.h"

namespace plexaro {

inline constexpr uint32_t LinesPerFrame = 262;
inline constexpr uint32_t ActiveLines = VdpVisibleLines;  // lines 0 to 191 are drawn
inline constexpr int32_t CyclesPerLine = 227;             // the simple behaviour's line
inline constexpr int32_t HardwareCyclesPerLine = 228;     // 3579545 Hz / 15700 lines a second
inline constexpr uint32_t IrqLastLine = 195;    // the frame interrupt is requested on 192..195
inline constexpr uint8_t FrameIrqByte = 0xFF;   // data bus during the interrupt: RST 38h
inline constexpr int ConsoleClockHz = 3579545;  // the CPU's clock and the sound chip's
inline constexpr int SampleRate = 44100;
inline constexpr int SamplesPerFrame = 735;     // 44100 / 60: the simple behaviour's frame
inline constexpr int MaxSamplesPerFrame = 736;  // the hardware behaviour's longer frames

inline constexpr size_t ConsoleMemorySize = 0x10000;
inline constexpr size_t RomImageSize = 0xA000;  // 40960 bytes: CPU 0x0000-0x9FFF
inline constexpr uint32_t ConsoleWritableStart = 0x8000;

// The controls of either joypad. Player 1's are port A's bits 0-5, active low; note that
// value 2 is right (bit 3) and value 3 is left (bit 2). Player 2's up and down are port A's
// bits 6 and 7, its left, right, button 1 and button 2 port B's bits 0-3; port B's other bits
// always read 1.
enum JoypadButton : uint32_t {
    JoypadUp = 0,
    JoypadDown = 1,
    JoypadRight = 2,
    JoypadLeft = 3,
    JoypadButton1 = 4,
    JoypadButton2 = 5,
};

// Memory and ports.
uint32_t ConsolePortIn(uint32_t port);
void ConsolePortOut(uint32_t port, uint32_t value);
void ClearJoypad();                  // nothing pressed on either joypad: both ports 0xFF
void PressJoypad(uint32_t button);   // player 1's JoypadButton; other values change nothing
void PressJoypad2(uint32_t button);  // player 2's JoypadButton; other values change nothing
const uint8_t* JoypadPorts();        // two bytes: port A, port B
// 64 KB block of console memory; null before InitMachine. What the CPU sees, except where the
// board shows a mapper page or repeats the hardware's 1 KB of RAM (PeekConsole in board.h
// always gives what the CPU sees): there it holds the RAM at its first address.
const uint8_t* ConsoleMemory();

// Lifecycle and frames.
const char* InitMachine(uint32_t rowStride);  // "Can't allocate memory for the Z80 core"
int RunFrame();                               // always 0
void ResetMachine();
void FreeMachine();
void ShutdownMachine();
// The frame's sound, valid until the next call. Simple behaviour: the chip's next 735
// samples, made now, 0 to 32767 (silence 0). Hardware behaviour: the samples of the frame
// RunFrame last ended (made as it ran), or none when MakeSoundFrame has already handed that
// frame out; they are the console's output, around zero (-32766 to 32766).
const int16_t* MakeSoundFrame();
uint32_t SoundFrameSamples();       // how many MakeSoundFrame's last frame holds
uint16_t* GetFrameBuffer();         // null while the video chip has no frame buffer
uint32_t RecordedRowStride();       // the stride the last InitMachine received, 0 before
void SelectRgbMode(uint32_t mode);  // 1: RGB 565, 0: RGB 555
// 1: the video chip behaves as the TMS9918A does (four sprites per line, Text and Multicolor
// drawn, ...); 0: the simple chip, the default. Applies from the next line drawn and is kept
// through InitMachine, LoadCartridge, ResetMachine and FreeMachine.
void SelectVideoBehaviour(uint32_t hardware);
uint32_t SelectedVideoBehaviour();  // 1 while the hardware behaviour is selected
bool HardwareBehaviour();           // the same as a yes or no
int32_t LineCycles();               // CPU cycles a scanline in the selected behaviour
void PressPauseButton();            // the Z80's non-maskable interrupt

// Cartridge loading.
const uint8_t* RomImage();  // RomImageLength() bytes
// RomImageSize for a file up to that long (zeros after it); for a longer one, its size
// rounded up to whole 16 KB pages (0xFF after it), at most 1 MB.
size_t RomImageLength();
// "Unable to stat file." or "Can't find Rom !", or the failure of the InitMachine that a
// successful read triggers. A failed load leaves the running cartridge and its image as they
// were. A file longer than 1 MB loads its first 1 MB and succeeds: TruncatedLoadWarning says
// so, as it does for a mapper image that is not whole 16 KB pages.
const char* LoadCartridge(const char* path);
// The same from the file's bytes, for a host that holds them already (a browser, a libretro
// frontend): `size` is the whole file's, and only its first min(size, 1 MB) bytes are read,
// so a host may hand over no more than those. No bytes, or none at all: "Can't find Rom !".
const char* LoadCartridgeBytes(const uint8_t* data, uint64_t size);
uint64_t LoadedFileSize();  // size of the file of the last successful load, 0 before
// After a load that used only the start of its file, or had to fill out its last page, the
// words every host warns with: "is N bytes long; only its first 1048576 bytes are loaded.",
// for the host to put the file's name (or "The file") before. Written into buffer (cut to fit
// `size`, always terminated) and returned; null, with nothing written, when the last load took its
// whole file.
inline constexpr size_t LoadWarningSize = 80;  // room for any N
const char* TruncatedLoadWarning(char* buffer, size_t size);

// 0x8000-0xFFFF of console memory, writable; null before InitMachine. On the flat board in
// the simple behaviour it is all RAM; elsewhere only the board's RAM in it is (PokeConsoleRam
// in board.h writes where the CPU would).
uint8_t* WritableConsoleRam();

}  // namespace plexaro
