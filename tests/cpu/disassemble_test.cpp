// The disassembler against SDCC's assembler: a listing of every opcode form, assembled by
// sdasz80 at build time, must disassemble back into its own lines.
#include "cpu/disassemble.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace plexaro {
namespace {

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// One space between words, none before a comma.
std::string Normalise(const std::string& s) {
    std::string out;
    for (char c : Trim(s)) {
        if (c == '\t') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        if (c == ',' && !out.empty() && out.back() == ' ') out.pop_back();
        out += c;
    }
    return out;
}

TEST(Disassemble, EveryOpcodeFormRoundTripsThroughSdasz80) {
    const std::string listingPath = std::string(PLEXARO_SOURCE_DIR) + "/cartridges/tests/opcodes.s";
    const std::string imagePath = std::string(PLEXARO_BINARY_DIR) + "/cartridges/tests/opcodes.sg";
    std::ifstream imageFile(imagePath, std::ios::binary);
    if (!imageFile) GTEST_SKIP() << "no assembled listing (is sdasz80 installed?): " << imagePath;
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(imageFile),
                                     std::istreambuf_iterator<char>()};
    std::ifstream listing(listingPath);
    ASSERT_TRUE(listing) << listingPath;

    uint32_t offset = 0;
    int forms = 0;
    int failures = 0;
    std::string line;
    while (std::getline(listing, line) && failures < 20) {
        const size_t semicolon = line.find(';');
        const std::string text = Normalise(line.substr(0, semicolon));
        if (text.starts_with(".org")) offset = uint32_t(std::stoul(text.substr(5), nullptr, 16));
        if (text.empty() || (text[0] == '.' && !text.starts_with(".db"))) continue;
        std::vector<uint8_t> expected;
        std::istringstream comment(line.substr(semicolon + 1));
        for (unsigned byte; comment >> std::hex >> byte;) expected.push_back(uint8_t(byte));
        ASSERT_LE(offset + expected.size(), image.size()) << text;
        ++forms;

        const bool assembled = std::equal(expected.begin(), expected.end(), image.begin() + offset);
        char got[z80::DisassemblyTextSize];
        const uint32_t length =
            z80::Disassemble(image.data() + offset, uint32_t(image.size() - offset),
                             uint16_t(offset), got, sizeof got);
        if (!assembled || length != expected.size() || Normalise(got) != text) {
            ADD_FAILURE() << "at 0x" << std::hex << offset << ": listing '" << text << "' (sdasz80 "
                          << (assembled ? "agrees" : "disagrees")
                          << " with its bytes), disassembled '" << got << "' length " << length;
            ++failures;
        }
        offset += uint32_t(expected.size());
    }
    EXPECT_EQ(offset, image.size());
    EXPECT_GT(forms, 1500);  // all five pages and both index prefixes
}

// Bytes cut short, and a text buffer too small, never run past their ends.
TEST(Disassemble, ShortInputShowsTheFirstByteAndTextIsCut) {
    const uint8_t call[] = {0xCD, 0x34, 0x12};
    char text[z80::DisassemblyTextSize];
    EXPECT_EQ(z80::Disassemble(call, 3, 0, text, sizeof text), 3u);
    EXPECT_STREQ(text, "call 0x1234");
    EXPECT_EQ(z80::Disassemble(call, 2, 0, text, sizeof text), 1u);
    EXPECT_STREQ(text, ".db 0xcd");
    EXPECT_EQ(z80::Disassemble(call, 0, 0, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
    char small[5];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(z80::Disassemble(call, 3, 0, small, sizeof small), 3u);
    EXPECT_STREQ(small, "call");

    const uint8_t back[] = {0x18, 0xFC};  // jr to 0xFFFE from 0x0000: the target wraps
    EXPECT_EQ(z80::Disassemble(back, 2, 0x0000, text, sizeof text), 2u);
    EXPECT_STREQ(text, "jr 0xfffe");
}

}  // namespace
}  // namespace plexaro
