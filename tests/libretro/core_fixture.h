// What the libretro core's tests share: the core opened afresh for each case through our own
// frontend, the headless player's hashes of the same run to hold it against, and RetroArch's
// view of the console's RAM for the cheat search.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "host/os/os.h"
#include "machine/hash.h"
#include "tests/libretro/frontend.h"

namespace plexaro::test {

namespace fs = std::filesystem;

constexpr uint16_t Bit(unsigned id) {
    return static_cast<uint16_t>(1u << id);
}

inline std::string Cartridge(const std::string& name) {
    return std::string(PLEXARO_BINARY_DIR) + "/cartridges/" + name;
}

struct Hashes {
    uint64_t frame = 0;
    uint64_t audio = 0;
    bool operator==(const Hashes&) const = default;
};

// The headless player's hashes of a run, with an input script and options; started without a
// shell, so that paths need no quoting on any system.
inline Hashes PlayerHashes(const std::string& cartridge, int frames, const std::string& script = "",
                           const std::vector<std::string>& options = {}) {
    const std::string program =
        std::string(PLEXARO_BINARY_DIR) + "/host/plexaro" + PLEXARO_EXECUTABLE_SUFFIX;
    std::vector<std::string> words = {"--headless", "--hash", "--frames", std::to_string(frames)};
    words.insert(words.end(), options.begin(), options.end());
    const fs::path input =
        fs::temp_directory_path() / ("plexaro_retro_script_" + std::to_string(::getpid()) + ".txt");
    if (!script.empty()) {
        std::ofstream(input) << script;
        words.insert(words.end(), {"--input", input.string()});
    }
    words.insert(words.end(), {"--", cartridge});
    Hashes hashes;
    std::FILE* output = std::tmpfile();
    ChildProcess child{};
    EXPECT_EQ(StartChildProcess(program, words, "", output, &child), "") << program;
    if (child.id != 0) {
        EXPECT_EQ(WaitForAnyChild().status, 0) << program;
        std::rewind(output);
        char line[256];
        while (std::fgets(line, sizeof line, output) != nullptr) {
            std::sscanf(line, "frame hash: 0x%" SCNx64, &hashes.frame);
            std::sscanf(line, "audio hash: 0x%" SCNx64, &hashes.audio);
        }
    }
    std::fclose(output);
    fs::remove(input);
    return hashes;
}

// RetroArch's cheat search: the bytes of the system-RAM descriptors, through `ptr` and `len`
// only, one after the other. CpuAddress is what the descriptor says the byte is, for the test.
struct CheatMemory {
    std::vector<std::pair<uint8_t*, size_t>> blocks;
    std::vector<size_t> starts;

    CheatMemory() {
        for (const retro::MemoryDescriptor& d : received.memory) {
            if (!(d.flags & retro::MemSystemRam) || d.ptr == nullptr || d.len == 0) continue;
            blocks.emplace_back(static_cast<uint8_t*>(d.ptr), d.len);
            starts.push_back(d.start);
        }
    }
    size_t Size() const {
        size_t total = 0;
        for (const auto& block : blocks) total += block.second;
        return total;
    }
    uint8_t& At(size_t index) {
        for (const auto& block : blocks) {
            if (index < block.second) return block.first[index];
            index -= block.second;
        }
        return blocks.back().first[0];
    }
    size_t CpuAddress(size_t index) const {
        for (size_t b = 0; b < blocks.size(); ++b) {
            if (index < blocks[b].second) return starts[b] + index;
            index -= blocks[b].second;
        }
        return 0;
    }
    std::vector<uint8_t> Bytes() {
        std::vector<uint8_t> out(Size());
        for (size_t i = 0; i < out.size(); ++i) out[i] = At(i);
        return out;
    }
};

// What the CPU reads where the map says ROM is.
inline std::vector<uint8_t> RomBytes() {
    std::vector<uint8_t> out;
    for (const retro::MemoryDescriptor& d : received.memory) {
        if (!(d.flags & retro::MemConst)) continue;
        const auto* bytes = static_cast<const uint8_t*>(d.ptr);
        out.insert(out.end(), bytes, bytes + d.len);
    }
    return out;
}

// The core opened afresh for each case, with a frontend that knows everything.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(CorePath())) GTEST_SKIP() << CorePath() << " is not built";
        traits = FrontendTraits{};
        optionValues.clear();
        optionsChanged = false;
        pads[0] = pads[1] = 0;
        Start();
    }
    void TearDown() override { Close(core_); }

    void Start() {
        std::string error;
        ASSERT_TRUE(Open(core_, &error)) << error;
    }

    void Load(const std::string& cartridge) { ASSERT_TRUE(LoadPath(core_, Cartridge(cartridge))); }

    // Runs frames with the pads from `input` (frame number -> bits, both ports).
    template <typename Input>
    void Run(int frames, int first, Input input) {
        for (int f = first; f < first + frames; ++f) {
            input(f);
            core_.run();
        }
    }
    void Run(int frames) {
        Run(frames, 0, [](int) {});
    }

    Hashes Output() const {
        EXPECT_EQ(received.left, received.right) << "both channels carry the mono sound";
        return {HashPicture(FnvOffsetBasis, received.picture),
                HashSamples(FnvOffsetBasis, received.left)};
    }

    // Each frame's picture and sound hashed on its own, for comparing two runs frame by frame.
    std::vector<Hashes> RunRecording(int frames) {
        std::vector<Hashes> out;
        for (int f = 0; f < frames; ++f) {
            received.left.clear();
            received.right.clear();
            core_.run();
            out.push_back(Output());
        }
        return out;
    }

    CoreApi core_;
};

}  // namespace plexaro::test
