// Typing a text into the SC-3000: each character's keys, and the frames that press them.
#include "machine/typing.h"

namespace plexaro {
namespace {

constexpr KeySet Shift = KeyBit(KbShift);

// The characters the keyboard's legends give with SHIFT held, beside the key that gives them.
struct Shifted {
    char character;
    uint8_t key;
};
constexpr Shifted ShiftedKeys[] = {
    {'!', Kb1},         {'"', Kb2},     {'#', Kb3},     {'$', Kb4},           {'%', Kb5},
    {'&', Kb6},         {'\'', Kb7},    {'(', Kb8},     {')', Kb9},           {'=', KbMinus},
    {'~', KbCaret},     {'|', KbYen},   {'`', KbAt},    {'{', KbOpenBracket}, {'}', KbCloseBracket},
    {'+', KbSemicolon}, {'*', KbColon}, {'<', KbComma}, {'>', KbPeriod},      {'?', KbSlash},
    {'_', KbPi},
};
struct Plain {
    char character;
    uint8_t key;
};
constexpr Plain PlainKeys[] = {
    {'-', KbMinus},       {'^', KbCaret},        {'\\', KbYen},      {'@', KbAt},
    {'[', KbOpenBracket}, {']', KbCloseBracket}, {';', KbSemicolon}, {':', KbColon},
    {',', KbComma},       {'.', KbPeriod},       {'/', KbSlash},     {' ', KbSpace},
};
constexpr uint8_t DigitKeys[10] = {Kb0, Kb1, Kb2, Kb3, Kb4, Kb5, Kb6, Kb7, Kb8, Kb9};
constexpr uint8_t LetterKeys[26] = {KbA, KbB, KbC, KbD, KbE, KbF, KbG, KbH, KbI,
                                    KbJ, KbK, KbL, KbM, KbN, KbO, KbP, KbQ, KbR,
                                    KbS, KbT, KbU, KbV, KbW, KbX, KbY, KbZ};
constexpr char32_t Yen = 0xA5;
constexpr char32_t Pi = 0x3C0;

// The next code point of UTF-8 text; a byte that does not start a well-formed sequence is
// taken as itself (and then has no key).
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto lead = static_cast<uint8_t>(text[at++]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || at + extra > text.size()) return lead;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) return lead;
        c = c << 6 | (next & 0x3F);
    }
    at += extra;
    return c;
}

}  // namespace

bool CharacterChord(char32_t c, KeySet* chord) {
    if (c >= '0' && c <= '9') {
        *chord = KeyBit(DigitKeys[c - '0']);
    } else if (c >= 'A' && c <= 'Z') {
        *chord = KeyBit(LetterKeys[c - 'A']);
    } else if (c >= 'a' && c <= 'z') {
        *chord = KeyBit(LetterKeys[c - 'a']);
    } else if (c == '\n') {
        *chord = KeyBit(KbCr);
    } else if (c == Yen) {
        *chord = KeyBit(KbYen);
    } else if (c == Pi) {
        *chord = KeyBit(KbPi);
    } else {
        for (const Plain& p : PlainKeys) {
            if (c == static_cast<char32_t>(p.character)) {
                *chord = KeyBit(p.key);
                return true;
            }
        }
        for (const Shifted& s : ShiftedKeys) {
            if (c == static_cast<char32_t>(s.character)) {
                *chord = KeyBit(s.key) | Shift;
                return true;
            }
        }
        return false;
    }
    return true;
}

size_t PrepareTyping(std::string_view text, std::vector<KeySet>& chords) {
    chords.clear();
    size_t skipped = 0;
    size_t at = 0;
    while (at < text.size()) {
        char32_t c = NextCodePoint(text, at);
        if (c == '\r') {
            if (at < text.size() && text[at] == '\n') ++at;
            c = '\n';
        }
        KeySet chord = 0;
        if (!CharacterChord(c, &chord)) {
            ++skipped;
            continue;
        }
        chords.push_back(chord);
        if (c == '\n') chords.insert(chords.end(), TypingLineSlots - 1, KeySet{0});
    }
    return skipped;
}

uint64_t TypingFrames(const std::vector<KeySet>& chords) {
    return chords.size() * uint64_t{TypingSlotFrames};
}

KeySet TypingKeysAt(const std::vector<KeySet>& chords, uint64_t frame) {
    const uint64_t slot = frame / TypingSlotFrames;
    if (slot >= chords.size()) return 0;
    const uint64_t phase = frame % TypingSlotFrames;
    const KeySet chord = chords[slot];
    if (phase == 0) return chord & Shift;
    return phase <= TypingHoldFrames ? chord : 0;
}

}  // namespace plexaro
