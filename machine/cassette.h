// The keyboard computer's cassette recorder, as the machine's PPI sees it: a level in (port B
// bit 7) while a tape plays, and a level out (port C bit 3) taken down while one records.
//
// In: a tape's sound (mono samples at any rate, as the host decoded them from a file), the
// recorder's buttons, the program's output level. Out: the input level, and while recording,
// the output as 44100 Hz samples for the host to write to a file.
//
// Unit of time: the machine's own CPU cycles, counted across frames, so a tape plays at the
// console's speed however fast the host runs frames (fast forward, a headless run). The
// sound is turned into levels once, at insertion, the way the recorder's amplifier and the
// console's input do it: a level changes only when the signal passes a threshold on the
// other side of zero (hysteresis), so hiss around silence leaves it where it was.
//
//     CassetteInsert(samples, count, rate, "game.wav", hash);  // host decoded the file
//     CassettePlay();
//     for each frame: RunFrame();   // the SC-3000's PPI reads CassetteInputHigh()
//     CassetteRecord();             // from here on the PPI's writes go to CassetteOutput()
//     for each frame: RunFrame(); n = CassetteTakeRecording(&samples); write them;
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr uint32_t CassetteRecordRate = 44100;
inline constexpr int16_t CassetteRecordLevel = 16384;  // the square wave's height either way
inline constexpr size_t CassetteNameSize = 64;         // bytes of the name a state keeps
// Rates the recorder accepts for a tape's sound.
inline constexpr uint32_t CassetteLowestRate = 4000;
inline constexpr uint32_t CassetteHighestRate = 192000;

// Puts a tape in: its samples are copied (the only allocation here) and the tape is wound to
// its start, stopped. `name` (cut to fit CassetteNameSize) and `hash` say which file it came
// from, for a save state to remember. Null, or why it can't be used ("no sound", a rate out of
// range). A recording in progress ends.
const char* CassetteInsert(const int16_t* samples, size_t count, uint32_t rate, const char* name,
                           uint64_t hash);
void CassetteEject();
void CassettePlay();    // from where the tape stands; no tape: nothing
void CassetteStop();    // ends playing or recording
void CassetteRewind();  // to the start, playing or not
// Records from now on what the program sends, whether or not a tape is inserted (the host
// writes it to a new file); playing stops.
void CassetteRecord();

// The PPI's side (machine/sc3000.h's tape functions, plugged in by CassetteInsert and
// CassetteRecord), from inside RunFrame's port handlers.
bool CassetteInputHigh();  // the level the tape gives now; low with nothing playing
bool CassettePlaying();
void CassetteOutput(bool high);  // the program's cassette output line
// Called by the frame loop as each frame ends, with the frame's cycles.
void CassetteEndFrame(uint64_t cycles);

// The recording's samples made since the last call (at most 72 frames' worth are kept: take
// them every frame or every pass of a host's loop). Valid until the next frame runs.
size_t CassetteTakeRecording(const int16_t** samples);

struct CassetteStatus {
    bool inserted;
    bool playing;
    bool recording;
    uint64_t position;  // cycles into the tape
    uint64_t length;    // the tape's cycles, 0 without one
    uint64_t hash;      // as inserted
    char name[CassetteNameSize];
};
CassetteStatus GetCassetteStatus();

// For save states: the recorder's place and buttons, and which tape it was.
inline constexpr uint32_t CassetteStateSize = 1 + 8 + 8 + 1 + CassetteNameSize;
void SaveCassette(uint8_t* out);
// Puts a saved place back; false (changing nothing) when the bytes can't be a recorder's.
bool CheckCassette(const uint8_t* bytes);
void RestoreCassette(const uint8_t* bytes);

}  // namespace plexaro
