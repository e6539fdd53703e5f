// What the core's two files share: the frontend's environment and log, the core options and
// the memory descriptors. The entry points themselves are in libretro_api.h.
//
//     RegisterOptions();            // from retro_set_environment
//     if (OptionsChanged()) ...     // once a frame
//     SelectVideoBehaviour(ChosenVideoBehaviour());
#pragma once

#include <cstddef>
#include <cstdint>

#include "libretro/libretro_api.h"

namespace plexaro {

// The frontend's environment callback, or null before retro_set_environment.
bool Environment(unsigned command, void* data);
// A frontend may hand over its environment more than once (RetroArch does after start-up);
// a log interface once obtained is kept when a later one gives none.
void SetEnvironment(retro::EnvironmentFn environment);
// Through the frontend's log interface when it has one, else to stderr.
void Log(retro::LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Logged, and shown on the frontend's screen: what the player must know.
void Tell(retro::LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Tells the frontend our options in the newest API it knows: with categories (version 2),
// without (1), or as variables (0).
void RegisterOptions();
bool OptionsChanged();            // whether the user changed an option since the last call
void ReadOptions();               // takes the frontend's current values
uint32_t ChosenVideoBehaviour();  // as SelectVideoBehaviour takes it
uint32_t ChosenPowerOnRam();      // as SelectPowerOnRam takes it
uint32_t ChosenMachine();         // as SelectMachine takes it
bool SelectResets();              // the "Select button" option: reset, or none

// The console's address space as the frontend's cheat and achievement tools read it, for the
// board the machine runs now. Call after every load, and whenever the layout may have changed
// (a reset or a state that switches the behaviour).
void RegisterMemoryMap();
// The console's own RAM (from 0xC000, as on the console), for RETRO_MEMORY_SYSTEM_RAM.
uint8_t* SystemRam();
size_t SystemRamSize();

}  // namespace plexaro
