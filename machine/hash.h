// FNV-1a 64: how save states recognise their cartridge, and how the player and the tests
// fingerprint pictures and sound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plexaro {

inline constexpr uint64_t FnvOffsetBasis = 0xCBF29CE484222325;
inline constexpr uint64_t FnvPrime = 0x100000001B3;

// One round: the value folded in, then the multiply. Fed bytes it is FNV-1a itself; fed
// wider words it is a quicker hash of the same family, with values of its own.
constexpr uint64_t FnvMix(uint64_t hash, uint64_t value) {
    return (hash ^ value) * FnvPrime;
}

// Chains: pass FnvOffsetBasis to start, or the result of the call before to go on.
inline uint64_t Fnv1a64(uint64_t hash, const void* data, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < count; ++i) hash = FnvMix(hash, bytes[i]);
    return hash;
}

}  // namespace plexaro
