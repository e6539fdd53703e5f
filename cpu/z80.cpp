// Placeholder so that the skeleton links; the core replaces it.
#include "cpu/z80.h"

namespace plexaro::z80 {

uint32_t UnmappedRead(uint32_t) {
    return 0xFF;
}
void UnmappedWrite(uint32_t, uint32_t) {}
void BeginMemoryMap() {}
void MapFetch(uint32_t, uint32_t, const uint8_t*) {}
void MapReadPages(uint32_t, uint32_t, uint8_t*) {}
void MapWritePages(uint32_t, uint32_t, uint8_t*) {}
void MapRead(uint32_t, uint32_t, uint32_t, RegionData) {}
void MapWrite(uint32_t, uint32_t, uint32_t, RegionData) {}
void EndMemoryMap() {}
void SetInHandler(InHandler) {}
void SetOutHandler(OutHandler) {}
void SetRetiHandler(RetiHandler) {}
void Reset() {}
uint32_t Run(int32_t cycles) {
    return static_cast<uint32_t>(cycles);
}
void RaiseIrq(uint32_t) {}
void LowerIrq() {}
void TriggerNmi() {}
uint32_t ElapsedCycles() {
    return 0;
}
int32_t StopRun() {
    return 0;
}
void SkipRemainingCycles() {}
void AddWaitCycles(int32_t) {}
uint32_t GetRegister(uint32_t) {
    return 0;
}
void SetRegister(uint32_t, uint32_t) {}
uint32_t StateSize() {
    return 0;
}
void SaveState(void*) {}
void LoadState(const void*) {}

}  // namespace plexaro::z80
