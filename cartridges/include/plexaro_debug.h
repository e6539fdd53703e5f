/* A game's own debug messages for Plexaro: a sequence that does nothing on the console and
 * that Plexaro's debugger prints, text and all.
 *
 * The sequence is `ld d,d` (0x52, a no-op), then `jr n` (0x18 n) over n bytes that hold the
 * message text ended by a NUL (0x00) within those n bytes. The console runs the no-op and
 * jumps over the text; it costs 16 cycles.
 *
 *     #include "plexaro_debug.h"
 *     PLEXARO_PRINT("level start");
 *
 * From assembly (sdasz80), with this file's macro copied or `.include`d from plexaro_debug.inc:
 *
 *         PLEXARO_PRINT ^/level start/
 */
#ifndef PLEXARO_DEBUG_H
#define PLEXARO_DEBUG_H

/* The text must be a string literal without a double quote of its own. The two labels are
 * sdasz80's reusable ones (a plain label would end the scope of the compiler's own), numbered
 * 6<n>1$ and 6<n>2$ from the preprocessor's counter so that the macro may appear any number of
 * times in a function; the compiler's own labels stay far below in all but huge files. */
#define PLEXARO_PRINT(text) PLEXARO_PRINT_AT_(text, __COUNTER__)
#define PLEXARO_PRINT_AT_(text, n) PLEXARO_PRINT_AS_(text, n)
#define PLEXARO_PRINT_AS_(text, n)                                                             \
    __asm__("ld d, d\n"                                                                        \
            "jr 6" #n "2$\n"                                                                   \
            "6" #n "1$:\n"                                                                     \
            ".ascii \"" text "\"\n"                                                           \
            ".db 0\n"                                                                          \
            "6" #n "2$:\n")

#endif
