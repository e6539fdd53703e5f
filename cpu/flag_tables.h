// Flag bits and the lookup tables the executor uses. All tables are computed at compile
// time, so they exist once and never change.
#pragma once

#include <array>
#include <cstdint>

namespace plexaro::z80::detail {

inline constexpr uint32_t FlagC = 0x01;   // carry
inline constexpr uint32_t FlagN = 0x02;   // last operation was a subtraction
inline constexpr uint32_t FlagPV = 0x04;  // parity or overflow
inline constexpr uint32_t FlagX = 0x08;   // undocumented, copied from XYSource
inline constexpr uint32_t FlagH = 0x10;   // half carry
inline constexpr uint32_t FlagY = 0x20;   // undocumented, copied from XYSource
inline constexpr uint32_t FlagZ = 0x40;
inline constexpr uint32_t FlagS = 0x80;
inline constexpr uint32_t FlagsXY = FlagX | FlagY;

using ByteTable = std::array<uint8_t, 256>;

constexpr bool EvenParity(uint32_t v) {
    uint32_t ones = 0;
    for (; v != 0; v >>= 1) ones += v & 1;
    return (ones & 1) == 0;
}

// S, Z, Y and X of a result byte.
constexpr ByteTable MakeSz() {
    ByteTable t{};
    for (uint32_t v = 0; v < 256; ++v) t[v] = (v & (FlagS | FlagsXY)) | (v == 0 ? FlagZ : 0);
    return t;
}

// S, Z, Y, X and parity of a result byte: the flags of the logical operations.
constexpr ByteTable MakeSzp() {
    ByteTable t = MakeSz();
    for (uint32_t v = 0; v < 256; ++v) t[v] |= EvenParity(v) ? FlagPV : 0;
    return t;
}

// Indexed by the operand before the increment; C is left for the caller.
constexpr ByteTable MakeInc() {
    const ByteTable sz = MakeSz();
    ByteTable t{};
    for (uint32_t x = 0; x < 256; ++x) {
        const uint32_t result = (x + 1) & 0xFF;
        t[x] = sz[result] | ((x & 0x0F) == 0x0F ? FlagH : 0) | (x == 0x7F ? FlagPV : 0);
    }
    return t;
}

// Indexed by the operand before the decrement; C is left for the caller.
constexpr ByteTable MakeDec() {
    const ByteTable sz = MakeSz();
    ByteTable t{};
    for (uint32_t x = 0; x < 256; ++x) {
        const uint32_t result = (x - 1) & 0xFF;
        t[x] = sz[result] | ((x & 0x0F) == 0 ? FlagH : 0) | (x == 0x80 ? FlagPV : 0) | FlagN;
    }
    return t;
}

struct DaaEntry {
    uint8_t a;
    uint8_t f;
};

// [H][N * 512 + C * 256 + A]: the new A and the whole new F.
using DaaTable = std::array<std::array<DaaEntry, 1024>, 2>;

constexpr DaaTable MakeDaa() {
    const ByteTable szp = MakeSzp();
    DaaTable t{};
    for (uint32_t h = 0; h < 2; ++h) {
        for (uint32_t index = 0; index < 1024; ++index) {
            const uint32_t a = index & 0xFF;
            const bool carry = (index & 0x100) != 0;
            const bool subtract = (index & 0x200) != 0;
            const uint32_t low = a & 0x0F;
            uint32_t correction = 0;
            if (h != 0 || low > 9) correction |= 0x06;
            const bool newCarry = carry || a > 0x99;
            if (newCarry) correction |= 0x60;
            const uint32_t result = (subtract ? a - correction : a + correction) & 0xFF;
            const bool newHalf = subtract ? (h != 0 && low < 6) : low > 9;
            t[h][index].a = static_cast<uint8_t>(result);
            t[h][index].f = static_cast<uint8_t>(szp[result] | (newHalf ? FlagH : 0) |
                                                 (subtract ? FlagN : 0) | (newCarry ? FlagC : 0));
        }
    }
    return t;
}

inline constexpr ByteTable SzTable = MakeSz();
inline constexpr ByteTable SzpTable = MakeSzp();
inline constexpr ByteTable IncTable = MakeInc();
inline constexpr ByteTable DecTable = MakeDec();
inline constexpr DaaTable DaaTables = MakeDaa();

}  // namespace plexaro::z80::detail
