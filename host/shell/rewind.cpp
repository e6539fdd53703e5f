// The rewind ring: block differences between consecutive states, compressed into one
// circular arena of fixed size.
#include "host/shell/rewind.h"

#include <lz4.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "machine/state.h"

namespace plexaro {
namespace {

constexpr size_t BlockSize = 256;
constexpr size_t MaxEntries = 1 << 16;  // at least 18 minutes of frames, far past any budget

struct Entry {
    size_t offset;  // in the arena
    uint32_t length;
};

struct RewindState {
    uint8_t* arena;
    size_t budget;
    size_t stateSize, blocks;
    uint8_t* newest;   // the newest state, whole
    uint8_t* scratch;  // the state being recorded, then its difference
    uint8_t* packed;   // the difference, compressed
    Entry* entries;    // a ring: entries[first .. first + count) oldest to newest
    size_t first, count;
    size_t bytesUsed;
    LZ4_stream_t* compressor;
    bool haveNewest;
};

RewindState ring = {};

const Entry& Newest() {
    return ring.entries[(ring.first + ring.count - 1) % MaxEntries];
}

void DropOldest() {
    ring.bytesUsed -= ring.entries[ring.first].length;
    ring.first = (ring.first + 1) % MaxEntries;
    --ring.count;
}

// Whether [offset, offset + length) would run over the oldest entry still held.
bool Overlaps(size_t offset, size_t length) {
    if (ring.count == 0) return false;
    const Entry& oldest = ring.entries[ring.first];
    return offset < oldest.offset + oldest.length && oldest.offset < offset + length;
}

// Where the next record goes: after the newest, or back at the start when the arena's end
// is too near; the oldest records make room. Records past the newest, up to the arena's
// end, are always the oldest ones, so going back to the start first lets them go.
size_t Place(size_t length) {
    size_t offset = ring.count == 0 ? 0 : Newest().offset + Newest().length;
    if (offset + length > ring.budget) {
        while (ring.count > 0 && ring.entries[ring.first].offset >= offset) DropOldest();
        offset = 0;
    }
    while (ring.count > 0 && (Overlaps(offset, length) || ring.count == MaxEntries)) DropOldest();
    return offset;
}

// out = now ^ newest, and newest = now, word by word. out may be the very bytes of now (the
// difference is written over the state it comes from) but never lies after them, so each
// word is read before anything writes it.
void XorInto(uint8_t* out, const uint8_t* now, uint8_t* newest, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t is, was;
        std::memcpy(&is, now + i, 8);
        std::memcpy(&was, newest + i, 8);
        was ^= is;
        std::memcpy(newest + i, &is, 8);
        std::memcpy(out + i, &was, 8);
    }
    for (; i < n; ++i) {
        const uint8_t is = now[i];
        out[i] = is ^ newest[i];
        newest[i] = is;
    }
}

// The state's bytes [at, at + n) as they are now: in place when they lie inside one of the
// console's memory spans (null when the span says they are unchanged), else in `state`,
// with whatever part of a span they take copied in. Copying into the block's own place is
// safe: the differences written so far end before it.
const uint8_t* BlockNow(uint8_t* state, const StateSpan* spans, size_t at, size_t n) {
    for (uint32_t i = 0; i < StateSpanCount; ++i) {
        const StateSpan& span = spans[i];
        if (at >= span.offset && at + n <= span.offset + span.size) {
            if (span.changed != ~uint64_t{0}) {  // known, so the span is at most 16 KB
                const size_t first = (at - span.offset) / 256;
                const size_t last = (at - span.offset + n - 1) / 256;
                const uint64_t touched = (~uint64_t{0} >> (63 - (last - first))) << first;
                if ((span.changed & touched) == 0) return nullptr;
            }
            return span.live + (at - span.offset);
        }
        const size_t from = std::max(at, span.offset);
        const size_t to = std::min(at + n, span.offset + span.size);
        if (from < to) std::memcpy(state + from, span.live + (from - span.offset), to - from);
    }
    return state + at;
}

}  // namespace

bool RewindStart(size_t budgetBytes) {
    RewindStop();
    ring.stateSize = MachineStateSize();
    ring.blocks = (ring.stateSize + BlockSize - 1) / BlockSize;
    const size_t packedSize =
        static_cast<size_t>(LZ4_compressBound(static_cast<int>(ring.stateSize + ring.blocks)));
    // Everything rewind takes comes out of the budget, the arena gets what is left.
    const size_t overhead = MaxEntries * sizeof(Entry) + 2 * ring.stateSize + ring.blocks +
                            packedSize + sizeof(LZ4_stream_t);
    ring.budget = std::max(budgetBytes > overhead ? budgetBytes - overhead : 0, 2 * packedSize);
    ring.arena = new (std::nothrow) uint8_t[ring.budget];
    ring.newest = new (std::nothrow) uint8_t[ring.stateSize];
    ring.scratch = new (std::nothrow) uint8_t[ring.stateSize + ring.blocks];
    ring.packed = new (std::nothrow) uint8_t[packedSize];
    ring.entries = new (std::nothrow) Entry[MaxEntries];
    ring.compressor = LZ4_createStream();
    if (!ring.arena || !ring.newest || !ring.scratch || !ring.packed || !ring.entries ||
        !ring.compressor) {
        RewindStop();
        return false;
    }
    return true;
}

void RewindStop() {
    delete[] ring.arena;
    delete[] ring.newest;
    delete[] ring.scratch;
    delete[] ring.packed;
    delete[] ring.entries;
    LZ4_freeStream(ring.compressor);
    ring = {};
}

bool RewindActive() {
    return ring.arena != nullptr;
}

void RewindClear() {
    ring.first = ring.count = ring.bytesUsed = 0;
    ring.haveNewest = false;
}

void RewindRecord(uint64_t frame) {
    if (!RewindActive()) return;
    uint8_t* state = ring.scratch + ring.blocks;  // the block map goes in front
    StateSpan spans[StateSpanCount];
    WriteMachineStateAround(frame, state, spans);
    if (!ring.haveNewest) {
        std::memcpy(ring.newest, state, ring.stateSize);
        for (const StateSpan& span : spans) {
            std::memcpy(ring.newest + span.offset, span.live, span.size);
        }
        ring.haveNewest = true;
        return;
    }
    // Only the blocks that changed are kept, each as the XOR that turns the new one back into
    // the old: most of the console's memory stays the same from one frame to the next. The
    // console's memory is compared where it lies, not copied out first.
    size_t used = ring.blocks;
    for (size_t block = 0; block < ring.blocks; ++block) {
        const size_t at = block * BlockSize;
        const size_t n = std::min(BlockSize, ring.stateSize - at);
        const uint8_t* now = BlockNow(state, spans, at, n);
        const bool changed = now != nullptr && std::memcmp(now, ring.newest + at, n) != 0;
        ring.scratch[block] = changed;
        if (!changed) continue;
        XorInto(ring.scratch + used, now, ring.newest + at, n);
        used += n;
    }
    // Each record stands alone; a fast reset spares clearing the compressor's whole table for
    // the kilobyte or so a frame usually has to say.
    LZ4_resetStream_fast(ring.compressor);
    const int length = LZ4_compress_fast_continue(
        ring.compressor, reinterpret_cast<const char*>(ring.scratch),
        reinterpret_cast<char*>(ring.packed), static_cast<int>(used),
        LZ4_compressBound(static_cast<int>(ring.stateSize + ring.blocks)), 1);
    if (length <= 0) return;
    const size_t offset = Place(static_cast<size_t>(length));
    std::memcpy(ring.arena + offset, ring.packed, static_cast<size_t>(length));
    ring.entries[(ring.first + ring.count) % MaxEntries] = {offset, static_cast<uint32_t>(length)};
    ++ring.count;
    ring.bytesUsed += static_cast<size_t>(length);
}

bool RewindStepBack(uint64_t* frame) {
    if (!RewindActive() || ring.count == 0) return false;
    const Entry entry = Newest();
    const int used =
        LZ4_decompress_safe(reinterpret_cast<const char*>(ring.arena + entry.offset),
                            reinterpret_cast<char*>(ring.scratch), static_cast<int>(entry.length),
                            static_cast<int>(ring.stateSize + ring.blocks));
    --ring.count;
    ring.bytesUsed -= entry.length;
    if (used < static_cast<int>(ring.blocks)) return false;
    size_t at = ring.blocks;
    for (size_t block = 0; block < ring.blocks; ++block) {
        if (!ring.scratch[block]) continue;
        const size_t start = block * BlockSize;
        const size_t n = std::min(BlockSize, ring.stateSize - start);
        if (at + n > static_cast<size_t>(used)) return false;
        for (size_t i = 0; i < n; ++i) ring.newest[start + i] ^= ring.scratch[at + i];
        at += n;
    }
    SealMachineState(ring.newest);
    return LoadMachineState(ring.newest, ring.stateSize, frame) == nullptr;
}

uint32_t RewindFrames() {
    return static_cast<uint32_t>(ring.count);
}

size_t RewindBytesUsed() {
    return ring.bytesUsed;
}

}  // namespace plexaro
