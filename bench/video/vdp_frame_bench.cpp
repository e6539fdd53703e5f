// Time to draw whole frames: Graphics II with 32 visible 16x16 sprites that do not touch
// (the collision test has to run), and plain Graphics I without sprites, in the simple
// behaviour; the same scenes and a Text screen in the hardware behaviour, where eight of
// the sprites share each sprite row, so the four-per-line limit and its report are at work.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "video/vdp.h"

namespace plexaro {
namespace {

void Control(uint8_t first, uint8_t second) {
    VdpWriteControl(first);
    VdpWriteControl(second);
}

void SetRegister(uint32_t number, uint8_t value) {
    Control(value, static_cast<uint8_t>(0x80 | number));
}

void SetAddress(uint32_t address) {
    Control(address & 0xFF, static_cast<uint8_t>(0x40 | address >> 8));
}

// Busy patterns and colours everywhere, so that no byte value makes drawing cheaper.
void FillTables(uint32_t patterns, uint32_t colours, uint32_t names, uint32_t size) {
    SetAddress(patterns);
    for (uint32_t i = 0; i < size; ++i) VdpWriteData(static_cast<uint8_t>(i * 37 + 11));
    SetAddress(colours);
    for (uint32_t i = 0; i < size; ++i) VdpWriteData(static_cast<uint8_t>(i * 13 + 0x21));
    SetAddress(names);
    for (uint32_t i = 0; i < 768; ++i) VdpWriteData(static_cast<uint8_t>(i));
}

void GraphicsIIScene() {
    VdpInit(256);
    SetRegister(0, 0x02);
    SetRegister(1, VdpDisplayEnable | VdpSpriteSize16);
    SetRegister(2, 0x0E);  // names 0x3800
    SetRegister(3, 0xFF);  // colours 0x2000
    SetRegister(4, 0x03);  // patterns 0
    SetRegister(5, 0x76);  // sprite attributes 0x3B00
    SetRegister(6, 0x03);  // sprite patterns 0x1800, just after the pattern table
    SetRegister(7, 0x04);
    FillTables(0x0000, 0x2000, 0x3800, 0x1800);
    SetAddress(0x1800);
    for (uint32_t i = 0; i < 0x800; ++i) VdpWriteData(0xFF);
    // Eight columns of four sprites, 32 pixels and 48 lines apart: all on screen, none
    // overlapping, so every pair has to be looked at.
    SetAddress(0x3B00);
    for (uint32_t i = 0; i < 32; ++i) {
        VdpWriteData(static_cast<uint8_t>(i / 8 * 48 + 4));
        VdpWriteData(static_cast<uint8_t>(i % 8 * 32 + 8));
        VdpWriteData(static_cast<uint8_t>(i * 4));
        VdpWriteData(static_cast<uint8_t>(i % 15 + 1));
    }
}

void GraphicsIScene() {
    VdpInit(256);
    SetRegister(1, VdpDisplayEnable);
    SetRegister(2, 0x06);  // names 0x1800
    SetRegister(3, 0x80);  // colours 0x2000
    SetRegister(4, 0x00);  // patterns 0
    SetRegister(5, 0x36);  // sprite attributes 0x1B00
    SetRegister(6, 0x07);
    SetRegister(7, 0x04);
    FillTables(0x0000, 0x2000, 0x1800, 0x800);
    SetAddress(0x1B00);
    VdpWriteData(VdpSpriteEndMarker);
}

void TextScene() {
    VdpInit(256);
    SetRegister(1, VdpDisplayEnable | 0x10);
    SetRegister(2, 0x06);  // names 0x1800
    SetRegister(4, 0x00);  // patterns 0
    SetRegister(7, 0xF4);
    FillTables(0x0000, 0x2000, 0x1800, 0x800);
}

void RenderFrame() {
    for (uint32_t line = 0; line < VdpVisibleLines; ++line) VdpRenderLine(line);
    benchmark::DoNotOptimize(VdpGetFrameBuffer()[VdpRowStride() * 191 + 255]);
}

void BM_GraphicsIIWithSprites(benchmark::State& state) {
    GraphicsIIScene();
    for (auto _ : state) RenderFrame();
    VdpRelease();
}

// The same frame with the remembered collision answer thrown away before every line, as a
// program that moves a sprite on each line would cause (sprite 0 steps between lines 4 and
// 5; a byte written over itself would change nothing).
void BM_GraphicsIIWithSpritesCollisionEveryLine(benchmark::State& state) {
    GraphicsIIScene();
    for (auto _ : state) {
        for (uint32_t line = 0; line < VdpVisibleLines; ++line) {
            SetAddress(0x3B00);
            VdpWriteData(static_cast<uint8_t>(4 + (line & 1)));
            VdpRenderLine(line);
        }
    }
    VdpRelease();
}

void BM_GraphicsIPlain(benchmark::State& state) {
    GraphicsIScene();
    for (auto _ : state) RenderFrame();
    VdpRelease();
}

// Each scene again in the hardware behaviour, left selected only while it runs.
void RunHardware(benchmark::State& state, void (*scene)()) {
    VdpSelectBehaviour(VideoHardware);
    scene();
    for (auto _ : state) RenderFrame();
    VdpRelease();
    VdpSelectBehaviour(VideoSimple);
}

void BM_HardwareGraphicsIIWithSprites(benchmark::State& state) {
    RunHardware(state, GraphicsIIScene);
}

void BM_HardwareGraphicsIPlain(benchmark::State& state) {
    RunHardware(state, GraphicsIScene);
}

void BM_HardwareText(benchmark::State& state) {
    RunHardware(state, TextScene);
}

BENCHMARK(BM_GraphicsIIWithSprites)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GraphicsIIWithSpritesCollisionEveryLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GraphicsIPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HardwareGraphicsIIWithSprites)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HardwareGraphicsIPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HardwareText)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plexaro

BENCHMARK_MAIN();
