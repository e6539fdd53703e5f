// Typing a text into the SC-3000 one key at a time, at a pace its BASIC keeps up with: for
// input scripts' `text "..."` and a desktop's paste. Platform-neutral and stateless: a text
// is turned once into chords (the keys of each character, SHIFT included), and the keys to
// hold at any frame since typing began follow from the chords alone, so a frame loop asks
// without allocating and a rewind or a save state needs nothing kept.
//
// Each character takes TypingSlotFrames frames: SHIFT alone for one frame when the
// character needs it (else nothing), the chord for TypingHoldFrames, then nothing for the
// rest, so the same key twice is two presses. A line break (CR) is followed by
// TypingLineSlots - 1 empty slots, time for BASIC to take the line in.
//
//     std::vector<KeySet> chords;
//     size_t skipped = PrepareTyping("10 PRINT \"HI\"\n", chords);
//     for (uint64_t f = 0; f < TypingFrames(chords); ++f) { HoldKeys(TypingKeysAt(chords, f));
//     RunFrame(); }
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "machine/sc3000.h"

namespace plexaro {

inline constexpr uint32_t TypingSlotFrames = 7;
inline constexpr uint32_t TypingHoldFrames = 3;
inline constexpr uint32_t TypingLineSlots = 4;

// The keys that type a character of UTF-8 text's code point; false when the keyboard has no
// key for it. Letters of either case are typed as the keyboard's own (unshifted) capitals.
bool CharacterChord(char32_t character, KeySet* chord);

// Replaces `chords` with the text's, one slot a character (a pause slot is 0); returns how
// many characters were passed over for want of a key. "\r\n" and "\r" count as one line break.
size_t PrepareTyping(std::string_view text, std::vector<KeySet>& chords);

uint64_t TypingFrames(const std::vector<KeySet>& chords);
// The keys to hold during the frame `frame` frames after typing began; none past the end.
KeySet TypingKeysAt(const std::vector<KeySet>& chords, uint64_t frame);

}  // namespace plexaro
