// The checks' warnings in words, the same for the headless player's summary and the desktop's
// Problems window: what happened, where, how often and when first, and how to fix it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "machine/checks.h"

namespace plexaro {

// Where a place in the program is named: "0x1234", or "0x1234 draw+3" where symbols name it.
std::string CodeAddressText(uint16_t address);
// "0x0123" or "-" for a warning of no one instruction.
std::string WarningPlace(const CheckWarning& warning);
// The first time's figures: "12 cycles after the last access, 29 needed", "at 0xC012", ...
std::string WarningDetail(const CheckWarning& warning);
// "frame 2, line 17"
std::string WarningFirstSeen(const CheckWarning& warning);
const char* CheckAdvice(uint32_t kind);  // a sentence on how a game avoids it
// The memory a warning is about (the RAM read, the ROM written, the stack's deepest point);
// false for warnings about the video chip or of no one address.
bool WarningDataAddress(const CheckWarning& warning, uint16_t& address);

// Every warning kept, a line each, under a header line; nothing when there are none.
void PrintWarnings(std::FILE* out);

}  // namespace plexaro
