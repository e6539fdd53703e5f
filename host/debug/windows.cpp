// The Debug menu and its windows, drawn with Dear ImGui beside the picture: the video chip
// (registers, pattern tables, sprites, the name table under the mouse), the sound chip,
// the console's memory, the time each frame takes and the problems the checks find. All are
// off until chosen.
#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "host/debug/layout.h"
#include "host/debug/profiler.h"
#include "host/debug/symbols.h"
#include "host/debug/views.h"
#include "host/sdl/sdl_host.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/board.h"
#include "machine/checks.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

constexpr int PanelWidth = 600;
constexpr uint32_t Thirds = 3;
constexpr uint32_t MemoryColumns = 16;

struct DebugState {
    bool cpu, video, sound, memory, frameTime, watch, profiler, loadSymbols, problems;
    bool variables;
    bool outlineSprites;
    SDL_Texture* patterns[Thirds];
    uint32_t pixels[PatternImageSize * PatternImageSize];
    FrameTimes times;
    char jump[64];
    char pokeAddress[8], pokeValue[4];
    int jumpRow;  // -1: no jump asked for
};

DebugState debug = {};

bool AnyOpen() {
    return debug.cpu || debug.video || debug.sound || debug.memory || debug.frameTime ||
           debug.watch || debug.profiler || debug.loadSymbols || debug.problems || debug.variables;
}

void Toggle(bool& window) {
    window = !window;
    WindowRelayout();
}

// Each window's tile: see layout.h.
void Place(DebugWindow window) {
    LayoutPlace(window);
}

void PatternImage(uint32_t third, uint32_t shown) {
    SDL_Texture*& texture = debug.patterns[third];
    if (texture == nullptr) {
        texture =
            SDL_CreateTexture(HostRenderer(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                              PatternImageSize, PatternImageSize);
        if (texture == nullptr) return;
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    }
    DrawPatternTable(VdpInspect(), third, debug.pixels);
    SDL_UpdateTexture(texture, nullptr, debug.pixels, PatternImageSize * sizeof(uint32_t));
    // As large as whole pixels allow: one table at twice its size, Graphics II's three at theirs.
    const float fit = ImGui::GetContentRegionAvail().x / (PatternImageSize * shown);
    const float scale = fit >= 2 ? 2 : 1;
    ImGui::Image(texture, ImVec2(PatternImageSize * scale, PatternImageSize * scale));
}

// Sprite rectangles and the name table entry under the mouse, drawn over the picture.
void PictureOverlay(const VdpView& vdp) {
    // The picture's pixels may be wider than tall (the television's aspect, or stretched).
    const Rect picture = ShellPictureRect();
    const float scale = static_cast<float>(picture.right - picture.left) / VdpScreenWidth;
    const float scaleY = static_cast<float>(picture.bottom - picture.top) / VdpVisibleLines;
    ImDrawList* draw = ImGui::GetBackgroundDrawList();
    if (debug.outlineSprites) {
        const int size = VdpSpriteHeight(vdp);
        for (uint32_t n = 0; n < VdpSpriteCount; ++n) {
            const VdpSpriteEntry sprite = VdpDecodeSprite(vdp, n);
            if (sprite.endMarker) break;
            const ImVec2 from(picture.left + sprite.left * scale,
                              picture.top + sprite.top * scaleY);
            draw->AddRect(from, ImVec2(from.x + size * scale, from.y + size * scaleY),
                          PaletteArgb(sprite.colour) | 0xFF000000u);
        }
    }
    // Text mode has 40 cells of six pixels between 8-pixel borders; the others 32 of eight.
    const bool text = vdp.mode == Text;
    const float left = picture.left + (text ? 8 * scale : 0);
    const int columns = text ? 40 : 32;
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const int column = static_cast<int>((mouse.x - left) / ((text ? 6 : 8) * scale));
    const int row = static_cast<int>((mouse.y - picture.top) / (8 * scaleY));
    if (mouse.x >= left && mouse.y >= picture.top && column < columns && row < 24 &&
        !ImGui::GetIO().WantCaptureMouse) {
        const uint32_t entry = row * columns + column;
        ImGui::SetTooltip("row %d, column %d: name 0x%04X, pattern 0x%02X", row, column,
                          (vdp.nameTable + entry) & (VramSize - 1),
                          vdp.vram[(vdp.nameTable + entry) & (VramSize - 1)]);
    }
}

void VideoWindow() {
    Place(DebugVideo);
    if (!ImGui::Begin("Video", &debug.video)) {
        ImGui::End();
        return;
    }
    const VdpView vdp = VdpInspect();
    const VdpSummary s = DescribeVdp(vdp);
    ImGui::Text("%s  display %s  interrupt %s", s.mode, s.displayEnabled ? "on" : "off",
                s.interruptEnabled ? "on" : "off");
    ImGui::Text("names 0x%04X  colours 0x%04X  patterns 0x%04X", s.nameTable, s.colourTable,
                s.patternTable);
    ImGui::Text("sprite attributes 0x%04X  sprite patterns 0x%04X", s.spriteAttributeTable,
                s.spritePatternTable);
    ImGui::Text("sprites %ux%u%s  text colour %u  backdrop %u", s.spriteSize, s.spriteSize,
                s.magnified ? " magnified" : "", s.textColour, s.backdropColour);
    ImGui::Text("registers %02X %02X %02X %02X %02X %02X %02X %02X", vdp.registers[0],
                vdp.registers[1], vdp.registers[2], vdp.registers[3], vdp.registers[4],
                vdp.registers[5], vdp.registers[6], vdp.registers[7]);
    ImGui::Text("status: frame %d  fifth sprite %d (#%u)  collision %d", s.frameFlag, s.fifthSprite,
                s.fifthSpriteNumber, s.collision);
    if (ImGui::CollapsingHeader("Pattern tables", ImGuiTreeNodeFlags_DefaultOpen)) {
        const uint32_t thirds = vdp.mode == GraphicsII ? Thirds : 1;
        for (uint32_t third = 0; third < thirds; ++third) {
            if (third > 0) ImGui::SameLine();
            PatternImage(third, thirds);
        }
    }
    if (ImGui::CollapsingHeader("Sprites")) {
        ImGui::Checkbox("Outline them on the picture", &debug.outlineSprites);
        if (ImGui::BeginTable("sprites", 6, ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollY,
                              ImVec2(0, 200))) {
            for (const char* heading : {"#", "y", "x", "pattern", "colour", "early"}) {
                ImGui::TableSetupColumn(heading);
            }
            ImGui::TableHeadersRow();
            for (uint32_t n = 0; n < VdpSpriteCount; ++n) {
                const VdpSpriteEntry a = VdpDecodeSprite(vdp, n);
                ImGui::TableNextRow();
                const uint32_t values[] = {n, a.y, a.x, a.name, a.colour, a.earlyClock ? 1u : 0u};
                for (uint32_t value : values) {
                    ImGui::TableNextColumn();
                    ImGui::Text("%u", value);
                }
                if (a.endMarker) break;
            }
            ImGui::EndTable();
        }
    }
    ImGui::TextDisabled("Hover the picture for the name table entry under the mouse.");
    ImGui::End();
    PictureOverlay(vdp);
}

float SampleAt(void* data, int index) {
    return static_cast<const int16_t*>(data)[index];
}

void SoundWindow() {
    Place(DebugSound);
    if (!ImGui::Begin("Sound", &debug.sound)) {
        ImGui::End();
        return;
    }
    const PsgChip* chip = PsgInspect(0);
    for (uint32_t channel = 0; chip != nullptr && channel < 4; ++channel) {
        const PsgChannelSummary c = DescribePsgChannel(*chip, channel);
        const char* volume = c.attenuation == 15 ? "off" : "";
        if (channel < 3) {
            ImGui::Text("tone %u  period %4u  %8.1f Hz  attenuation %2u (-%u dB) %s", channel,
                        c.period, c.frequency, c.attenuation, c.attenuation * 2, volume);
        } else {
            ImGui::Text("noise   %s, %s (%.1f Hz)  attenuation %2u (-%u dB) %s",
                        c.whiteNoise ? "white" : "periodic", c.rate, c.frequency, c.attenuation,
                        c.attenuation * 2, volume);
        }
    }
    const int16_t* samples = Shell().lastSound;
    if (samples != nullptr) {
        // The chip's mix never goes below silence; the console's output swings around zero.
        const bool console = SelectedVideoBehaviour() == 1;
        ImGui::PlotLines("##scope", SampleAt, const_cast<int16_t*>(samples), SamplesPerFrame, 0,
                         "the last frame's samples", console ? -32768.0f : 0.0f,
                         console ? 32767.0f : FLT_MAX,
                         ImVec2(ImGui::GetContentRegionAvail().x, 60));
    }
    ImGui::End();
}

// While the machine is stopped, a byte of RAM can be changed.
void PokeRow() {
    ImGui::SameLine();
    ImGui::SetNextItemWidth(50);
    ImGui::InputText("##poke address", debug.pokeAddress, sizeof debug.pokeAddress,
                     ImGuiInputTextFlags_CharsHexadecimal);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(30);
    ImGui::InputText("##poke value", debug.pokeValue, sizeof debug.pokeValue,
                     ImGuiInputTextFlags_CharsHexadecimal);
    ImGui::SameLine();
    const uint32_t address = static_cast<uint32_t>(std::strtoul(debug.pokeAddress, nullptr, 16));
    // Where the CPU would write: through the board's mirrors and banks, never into ROM.
    if (ImGui::Button("write to RAM") && address < ConsoleMemorySize && debug.pokeValue[0] != 0) {
        PokeConsoleRam(address, static_cast<uint8_t>(std::strtoul(debug.pokeValue, nullptr, 16)));
    }
}

// The first label that names an address of the row exactly, or "".
constexpr int LabelWidth = 14;
const char* RowLabel(uint32_t start) {
    for (uint32_t i = 0; i < MemoryColumns; ++i) {
        uint16_t offset = 0;
        const char* name = SymbolFor(static_cast<uint16_t>(start + i), offset);
        if (name != nullptr && offset == 0) return name;
    }
    return "";
}

void MemoryWindow() {
    Place(DebugMemory);
    if (!ImGui::Begin("Memory", &debug.memory)) {
        ImGui::End();
        return;
    }
    const uint8_t* memory = ConsoleMemory();
    ImGui::SetNextItemWidth(80);
    uint16_t target = 0;
    if (ImGui::InputText("go to (hex or label)", debug.jump, sizeof debug.jump,
                         ImGuiInputTextFlags_EnterReturnsTrue) &&
        ParseAddress(debug.jump, target)) {
        debug.jumpRow = target / static_cast<int>(MemoryColumns);
    }
    const bool stopped = DebuggerStopped();
    if (stopped) PokeRow();
    ImGui::BeginChild("bytes");
    if (debug.jumpRow >= 0) {
        ImGui::SetScrollY(debug.jumpRow * ImGui::GetTextLineHeightWithSpacing());
        debug.jumpRow = -1;
    }
    const ImVec2 cell = ImGui::CalcTextSize("FF");
    const float space = ImGui::CalcTextSize(" ").x;
    ImGuiListClipper rows;
    rows.Begin(ConsoleMemorySize / MemoryColumns);
    while (memory != nullptr && rows.Step()) {
        for (int row = rows.DisplayStart; row < rows.DisplayEnd; ++row) {
            const uint32_t start = static_cast<uint32_t>(row) * MemoryColumns;
            uint8_t bytes[MemoryColumns];  // as the CPU sees them, pages and mirrors included
            for (uint32_t i = 0; i < MemoryColumns; ++i) bytes[i] = PeekConsole(start + i);
            char ascii[MemoryColumns + 1];
            for (uint32_t i = 0; i < MemoryColumns; ++i) {
                ascii[i] = bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
            }
            ascii[MemoryColumns] = 0;
            if (!stopped || start < ConsoleWritableStart || !ConsoleRamAt(start)) {
                char text[MemoryColumns * 3 + 1];
                for (uint32_t i = 0; i < MemoryColumns; ++i) {
                    std::snprintf(text + 3 * i, sizeof text - 3 * i, "%02X ", bytes[i]);
                }
                ImGui::Text("%04X %-*.*s %s %s", start, LabelWidth, LabelWidth, RowLabel(start),
                            text, ascii);
                continue;
            }
            // Stopped, a RAM byte is a button: a click puts it in the write-to-RAM fields.
            ImGui::Text("%04X %-*.*s", start, LabelWidth, LabelWidth, RowLabel(start));
            for (uint32_t i = 0; i < MemoryColumns; ++i) {
                char label[16];
                std::snprintf(label, sizeof label, "%02X##%04X", bytes[i], start + i);
                ImGui::SameLine(0, space);
                if (ImGui::Selectable(label, false, 0, cell)) {
                    std::snprintf(debug.pokeAddress, sizeof debug.pokeAddress, "%04X", start + i);
                    std::snprintf(debug.pokeValue, sizeof debug.pokeValue, "%02X", bytes[i]);
                }
            }
            ImGui::SameLine(0, 2 * space);
            ImGui::TextUnformatted(ascii);
        }
    }
    ImGui::EndChild();
    ImGui::End();
}

float TimeAt(void* data, int index) {
    // Oldest first: the ring's next slot holds the oldest entry.
    return static_cast<const float*>(data)[(debug.times.next + index) % FrameTimeCount];
}

void FrameTimeWindow() {
    Place(DebugFrameTime);
    if (!ImGui::Begin("Frame time", &debug.frameTime)) {
        ImGui::End();
        return;
    }
    const uint32_t last = (debug.times.next + FrameTimeCount - 1) % FrameTimeCount;
    char caption[64];
    std::snprintf(caption, sizeof caption, "emulate %.3f ms", debug.times.emulate[last]);
    ImGui::PlotLines("##emulate", TimeAt, debug.times.emulate, FrameTimeCount, 0, caption, 0, 4,
                     ImVec2(ImGui::GetContentRegionAvail().x, 30));
    std::snprintf(caption, sizeof caption, "present %.3f ms", debug.times.present[last]);
    ImGui::PlotLines("##present", TimeAt, debug.times.present, FrameTimeCount, 0, caption, 0, 4,
                     ImVec2(ImGui::GetContentRegionAvail().x, 30));
    ImGui::End();
}

}  // namespace

void DebugShowCpu(uint16_t address) {
    if (!debug.cpu) Toggle(debug.cpu);
    CpuWindowShow(address);
}

void DebugShowMemory(uint16_t address) {
    if (!debug.memory) Toggle(debug.memory);
    debug.jumpRow = address / static_cast<int>(MemoryColumns);
}

int DebugPanelWidth() {
    return AnyOpen() ? PanelWidth : 0;
}

void DrawDebugMenu() {
    if (!ImGui::BeginMenu("Debug")) return;
    if (ImGui::MenuItem("CPU", nullptr, debug.cpu)) Toggle(debug.cpu);
    if (ImGui::MenuItem("Video", nullptr, debug.video)) Toggle(debug.video);
    if (ImGui::MenuItem("Sound", nullptr, debug.sound)) Toggle(debug.sound);
    if (ImGui::MenuItem("Memory", nullptr, debug.memory)) Toggle(debug.memory);
    if (ImGui::MenuItem("Frame time", nullptr, debug.frameTime)) Toggle(debug.frameTime);
    if (ImGui::MenuItem("Watch", nullptr, debug.watch)) Toggle(debug.watch);
    if (ImGui::MenuItem("Profiler", nullptr, debug.profiler)) Toggle(debug.profiler);
    if (ImGui::MenuItem("Problems", nullptr, debug.problems)) Toggle(debug.problems);
    if (ImGui::MenuItem("Variables", nullptr, debug.variables)) Toggle(debug.variables);
    ImGui::Separator();
    if (ImGui::MenuItem("Tile windows")) LayoutRetile();
    if (ImGui::MenuItem("Load symbols...", nullptr, debug.loadSymbols)) Toggle(debug.loadSymbols);
    if (ImGui::MenuItem("Live reload", nullptr, Shell().LiveReload == 1)) {
        WindowPostCommand(CommandLiveReload);
    }
    ImGui::EndMenu();
}

void DrawDebugWindows() {
    const bool open = AnyOpen();
    const bool shown[DebugWindowCount] = {
        debug.cpu,   debug.video,     debug.watch,       debug.variables, debug.profiler,
        debug.sound, debug.frameTime, debug.loadSymbols, debug.memory,    debug.problems};
    uint32_t mask = 0;
    for (uint32_t w = 0; w < DebugWindowCount; ++w) mask |= shown[w] ? 1u << w : 0;
    LayoutFrame(mask);
    if (debug.cpu) {
        Place(DebugCpu);
        DrawCpuWindow(&debug.cpu);
    }
    if (debug.video) VideoWindow();
    if (debug.sound) SoundWindow();
    if (debug.memory) MemoryWindow();
    if (debug.frameTime) FrameTimeWindow();
    if (debug.watch) {
        Place(DebugWatch);
        DrawWatchWindow(&debug.watch);
    }
    if (debug.profiler) {
        Place(DebugProfiler);
        DrawProfilerWindow(&debug.profiler);
    }
    if (debug.variables) {
        Place(DebugVariables);
        DrawVariablesWindow(&debug.variables);
    }
    if (debug.loadSymbols) {
        Place(DebugSymbols);
        DrawLoadSymbolsWindow(&debug.loadSymbols);
    }
    // Counting only while its window is open: closed, frames take the plain path again.
    if (debug.profiler != ProfilerRunning()) {
        if (debug.profiler) {
            ProfilerStart(true, false);
        } else {
            ProfilerStop();
        }
    }
    if (debug.problems) {
        if (!ChecksEnabled()) ProblemsWindowOpened();
        Place(DebugProblems);
        DrawProblemsWindow(&debug.problems);
    }
    if (!debug.problems && ChecksEnabled()) ProblemsWindowClosed();
    LayoutFrameDone();
    // A window closed by its own button gives its room back.
    if (open && !AnyOpen()) WindowRelayout();
}

void DebugRecordFrame(float emulate, float present) {
    RecordFrameTime(debug.times, emulate, present);
}

void DebugRelease() {
    for (SDL_Texture*& texture : debug.patterns) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        texture = nullptr;
    }
}

}  // namespace plexaro
