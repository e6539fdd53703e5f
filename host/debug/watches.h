// Watchpoints as text, for the command line (--watch) and the Watch window: one watchpoint per
// watchpoint, and one line per hit.
//
// Written: KIND:WHERE[=VALUE][@pc=WHERE]
//   KIND   r, w or rw (memory reads, writes, both), in, out or io (port IN, OUT, both);
//          r16, w16, rw16: WHERE is one 16-bit value, reported whole (old -> new)
//   WHERE  an address or a range FIRST..LAST (or FIRST-LAST), each a number (0xC000, $C000,
//          C000h, C000: hex) or a symbol (_frame_count, buffer+16)
//   VALUE  only when the byte read or written is this one (0x40, $40, 40h; bare: decimal)
//   @pc=   only accesses by the instructions there: an address, a range, or a function's
//          label for the whole function
// Examples: w:0xC000-0xC0FF   out:0xBE=0x40   rw:_frame_count   in:0xDC   w16:_total
//           w:_score@pc=_draw   w:_score@pc=_draw.._draw+40
//
//     Watchpoint watch;
//     std::string error;
//     if (!ParseWatch("w:_score.._score+1", watch, error)) fail(error);
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "machine/debugger.h"

namespace plexaro {

// False, with what is wrong in `error`, for text that does not parse; addresses may name
// symbols already loaded.
bool ParseWatch(std::string_view text, Watchpoint& watch, std::string& error);
// The text back, with symbols where they name an end exactly: "w:_score..0xc101=5".
std::string DescribeWatchpoint(const Watchpoint& watch);
// "frame 12 line 200: pc 0x0042 (irq+10) wrote 0x05 to 0xc000 (_frame_count)"; for ports
// "out 0x40 to port 0xbe". Ends without a newline. Returns the length written.
size_t FormatWatchHit(const WatchHit& hit, char* text, size_t size);
// A 16-bit watch's hit with the whole value before and after the instruction:
// "frame 3 line 10: pc 0x0226 (_main+9) wrote 0xc010 (_total): 0x00ff -> 0x0100 (255 -> 256)".
size_t FormatWideWatchHit(const WatchHit& hit, uint16_t before, uint16_t after, char* text,
                          size_t size);

}  // namespace plexaro
