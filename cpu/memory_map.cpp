// The memory map: page tables for fetch, read and write, and the region lists that serve
// pages a region covers only in part.
#include <bit>

#include "cpu/z80_state.h"

namespace plexaro::z80 {

using detail::Bias;
using detail::core;
using detail::FreeRegion;
using detail::MemoryRegion;
using detail::PageCount;
using detail::RegionsPerList;

uint32_t UnmappedRead(uint32_t) {
    return 0xFF;
}

void UnmappedWrite(uint32_t, uint32_t) {}

namespace {

constexpr uint32_t AddressMask = 0xFFFF;
constexpr uint32_t PageSize = 256;
// Every list keeps its last entry for the catch-all, so EndMemoryMap always finds room.
constexpr uint32_t UsableRegions = RegionsPerList - 1;

uint32_t RegionDispatchRead(uint32_t address) {
    for (const MemoryRegion& region : core.readRegions) {
        if (region.low == FreeRegion) break;
        if (address < region.low || address > region.high) continue;
        if (region.method == MapDirect) return region.data.memory[address];
        return region.data.read(address);
    }
    return UnmappedRead(address);
}

void RegionDispatchWrite(uint32_t address, uint32_t value) {
    for (const MemoryRegion& region : core.writeRegions) {
        if (region.low == FreeRegion) break;
        if (address < region.low || address > region.high) continue;
        if (region.method == MapDirect) {
            region.data.memory[address] = static_cast<uint8_t>(value);
        } else {
            region.data.write(address, value);
        }
        return;
    }
}

// The whole pages inside [start, end], as page numbers; first > last when there are none.
struct PageRange {
    uint32_t first;
    uint32_t last;
};

PageRange WholePages(uint32_t start, uint32_t end) {
    if (end > AddressMask) end = AddressMask;
    const uint32_t first = (start + PageSize - 1) / PageSize;
    const uint32_t last = (end + 1) / PageSize;  // one past the last whole page
    if (start > AddressMask || first >= last) return {1, 0};
    return {first, last - 1};
}

uint32_t FirstFree(const MemoryRegion (&list)[RegionsPerList]) {
    uint32_t index = 0;
    while (index < RegionsPerList && list[index].low != FreeRegion) ++index;
    return index;
}

// Adds a region to a list and returns it, or null when the region is empty or the list
// is full. Out-of-range methods become MapHandled with the unmapped handler.
MemoryRegion* AddRegion(MemoryRegion (&list)[RegionsPerList], uint32_t start, uint32_t end,
                        uint32_t method, RegionData data, RegionData unmapped) {
    if (end > AddressMask) end = AddressMask;
    if (start > end) return nullptr;
    const uint32_t index = FirstFree(list);
    if (index >= UsableRegions) return nullptr;
    if (method == MapDirect) {
        data.memory = Bias(data.memory, start);
    } else if (method != MapHandled) {
        method = MapHandled;
        data = unmapped;
    }
    list[index] = {start, end, method, data};
    return &list[index];
}

template <typename Handler>
void MapRegionPages(detail::PageSlot<Handler> (&table)[PageCount], const MemoryRegion& region,
                    Handler handler, Handler dispatcher) {
    if (region.low % PageSize != 0) table[region.low / PageSize] = {dispatcher, nullptr};
    if (region.high % PageSize != PageSize - 1)
        table[region.high / PageSize] = {dispatcher, nullptr};
    const PageRange pages = WholePages(region.low, region.high);
    for (uint32_t page = pages.first; page <= pages.last; ++page) {
        if (region.method == MapDirect) {
            table[page] = {nullptr, region.data.memory};
        } else {
            table[page] = {handler, nullptr};
        }
    }
}

template <typename Slot>
void MapDirectPages(Slot (&table)[PageCount], uint32_t start, uint32_t end, uint8_t* memory) {
    const PageRange pages = WholePages(start, end);
    for (uint32_t page = pages.first; page <= pages.last; ++page) {
        table[page] = {nullptr, Bias(memory, start)};
    }
}

// Appends the catch-all unless the list already ends with one (a repeated EndMemoryMap).
template <typename Handler>
void CloseList(MemoryRegion (&list)[RegionsPerList], Handler RegionData::*member,
               Handler unmapped) {
    const uint32_t index = FirstFree(list);
    if (index > 0) {
        const MemoryRegion& last = list[index - 1];
        if (last.low == 0 && last.high == AddressMask && last.method == MapHandled &&
            last.data.*member == unmapped) {
            return;
        }
    }
    if (index < RegionsPerList) {
        list[index] = {0, AddressMask, MapHandled, {}};
        list[index].data.*member = unmapped;
    }
}

}  // namespace

void BeginMemoryMap() {
    for (auto& slot : core.read) slot = {&UnmappedRead, nullptr};
    for (auto& slot : core.write) slot = {&UnmappedWrite, nullptr};
    for (auto& region : core.readRegions) region = {FreeRegion, 0, 0, {}};
    for (auto& region : core.writeRegions) region = {FreeRegion, 0, 0, {}};
    SetInHandler(nullptr);
    SetOutHandler(nullptr);
    core.reti = nullptr;
}

void MapFetch(uint32_t start, uint32_t end, const uint8_t* memory) {
    const PageRange pages = WholePages(start, end);
    for (uint32_t page = pages.first; page <= pages.last; ++page) {
        core.fetch[page] = Bias(memory, start);
    }
}

void MapReadPages(uint32_t start, uint32_t end, uint8_t* memory) {
    MapDirectPages(core.read, start, end, memory);
}

void MapWritePages(uint32_t start, uint32_t end, uint8_t* memory) {
    MapDirectPages(core.write, start, end, memory);
}

void MapRead(uint32_t start, uint32_t end, uint32_t method, RegionData data) {
    const MemoryRegion* region =
        AddRegion(core.readRegions, start, end, method, data, {.read = &UnmappedRead});
    if (region != nullptr) {
        const ReadHandler handler = region->method == MapHandled ? region->data.read : nullptr;
        MapRegionPages(core.read, *region, handler, &RegionDispatchRead);
    }
}

void MapWrite(uint32_t start, uint32_t end, uint32_t method, RegionData data) {
    const MemoryRegion* region =
        AddRegion(core.writeRegions, start, end, method, data, {.write = &UnmappedWrite});
    if (region != nullptr) {
        const WriteHandler handler = region->method == MapHandled ? region->data.write : nullptr;
        MapRegionPages(core.write, *region, handler, &RegionDispatchWrite);
    }
}

void MapReadHandlerPages(uint32_t start, uint32_t end, ReadHandler handler) {
    const PageRange pages = WholePages(start, end);
    for (uint32_t page = pages.first; page <= pages.last; ++page)
        core.read[page] = {handler, nullptr};
}

void MapWriteHandlerPages(uint32_t start, uint32_t end, WriteHandler handler) {
    const PageRange pages = WholePages(start, end);
    for (uint32_t page = pages.first; page <= pages.last; ++page)
        core.write[page] = {handler, nullptr};
}

void EndMemoryMap() {
    CloseList(core.readRegions, &RegionData::read, &UnmappedRead);
    CloseList(core.writeRegions, &RegionData::write, &UnmappedWrite);
}

namespace {

// A port watch sits in front of whatever handlers are installed; one installed while it is
// on goes behind it, so that the watch and the handlers' owner never undo each other.
struct PortWatch {
    PortObserver observer;
    InHandler in;  // the handlers the watch passes each access on to
    OutHandler out;
};

PortWatch ports = {};

uint32_t WatchedIn(uint32_t port) {
    const uint32_t value = ports.in(port)&0xFF;
    ports.observer(port, value, false);
    return value;
}

void WatchedOut(uint32_t port, uint32_t value) {
    ports.observer(port, value & 0xFF, true);
    ports.out(port, value);
}

}  // namespace

void SetInHandler(InHandler handler) {
    (ports.observer != nullptr ? ports.in : core.in) = handler != nullptr ? handler : &UnmappedRead;
}

void SetOutHandler(OutHandler handler) {
    (ports.observer != nullptr ? ports.out : core.out) =
        handler != nullptr ? handler : &UnmappedWrite;
}

void WatchPorts(PortObserver observer) {
    UnwatchPorts();
    if (observer == nullptr) return;
    ports = {observer, core.in, core.out};
    core.in = &WatchedIn;
    core.out = &WatchedOut;
}

void UnwatchPorts() {
    if (ports.observer == nullptr) return;
    core.in = ports.in;
    core.out = ports.out;
    ports.observer = nullptr;
}

void SetRetiHandler(RetiHandler handler) {
    core.reti = handler;
}

namespace {

struct PageWatch {
    AccessObserver observer;
    detail::PageSlot<ReadHandler> read[PageCount];  // what the routed pages mapped before
    detail::PageSlot<WriteHandler> write[PageCount];
    uint64_t readRouted[PageCount / 64];
    uint64_t writeRouted[PageCount / 64];
};

PageWatch watch = {};

uint32_t WatchedRead(uint32_t address) {
    const auto& slot = watch.read[address >> 8];
    const uint32_t value =
        (slot.handler == nullptr ? slot.memory[address] : slot.handler(address)) & 0xFF;
    watch.observer(address, value, false);
    return value;
}

void WatchedWrite(uint32_t address, uint32_t value) {
    watch.observer(address, value & 0xFF, true);
    const auto& slot = watch.write[address >> 8];
    if (slot.handler == nullptr) {
        slot.memory[address] = static_cast<uint8_t>(value);
    } else {
        slot.handler(address, value);
    }
}

}  // namespace

void WatchPages(const uint64_t* reads, const uint64_t* writes, AccessObserver observer) {
    UnwatchPages();
    if (observer == nullptr) return;
    watch.observer = observer;
    for (uint32_t word = 0; word < PageCount / 64; ++word) {
        for (uint64_t bits = reads[word]; bits != 0; bits &= bits - 1) {
            const uint32_t page = word * 64 + static_cast<uint32_t>(std::countr_zero(bits));
            watch.read[page] = core.read[page];
            core.read[page] = {&WatchedRead, nullptr};
        }
        for (uint64_t bits = writes[word]; bits != 0; bits &= bits - 1) {
            const uint32_t page = word * 64 + static_cast<uint32_t>(std::countr_zero(bits));
            watch.write[page] = core.write[page];
            core.write[page] = {&WatchedWrite, nullptr};
        }
        watch.readRouted[word] = reads[word];
        watch.writeRouted[word] = writes[word];
    }
}

void UnwatchPages() {
    for (uint32_t word = 0; word < PageCount / 64; ++word) {
        for (uint64_t bits = watch.readRouted[word]; bits != 0; bits &= bits - 1) {
            const uint32_t page = word * 64 + static_cast<uint32_t>(std::countr_zero(bits));
            if (core.read[page].handler == &WatchedRead) core.read[page] = watch.read[page];
        }
        for (uint64_t bits = watch.writeRouted[word]; bits != 0; bits &= bits - 1) {
            const uint32_t page = word * 64 + static_cast<uint32_t>(std::countr_zero(bits));
            if (core.write[page].handler == &WatchedWrite) core.write[page] = watch.write[page];
        }
        watch.readRouted[word] = 0;
        watch.writeRouted[word] = 0;
    }
}

}  // namespace plexaro::z80
