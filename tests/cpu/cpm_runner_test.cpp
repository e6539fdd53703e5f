// The CP/M runner: its page zero and BDOS, its failures, and our CP/M program run through
// the built tool with its result worked out here in plain C++.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/cpm/cpm.h"

namespace plexaro {
namespace {

std::string output;
void Collect(char c) {
    output += c;
}

CpmRunResult RunProgram(std::vector<uint8_t> program) {
    output.clear();
    const char* failure = CpmLoadProgram(program.data(), program.size(), Collect);
    EXPECT_EQ(failure, nullptr);
    return CpmRun(10'000'000);
}

TEST(CpmRunner, ServesPrintCallsAndEndsOnReturnOrWarmBoot) {
    // Returns to the CCP's stack with RET.
    // clang-format off
    CpmRunResult result = RunProgram({
        0x0E, 0x02,        // LD C,2
        0x1E, 0x41,        // LD E,'A'
        0xCD, 0x05, 0x00,  // CALL 5
        0x0E, 0x09,        // LD C,9
        0x11, 0x10, 0x01,  // LD DE,0x0110
        0xCD, 0x05, 0x00,  // CALL 5
        0xC9,              // RET
        'h',  'i',  '$',
    });
    // clang-format on
    EXPECT_EQ(result.failure, nullptr);
    EXPECT_EQ(output, "Ahi");
    EXPECT_GT(result.cycles, 0u);
    EXPECT_LT(result.cycles, 1000u);

    // Takes its stack from the BDOS address, as the exercisers do, and jumps to 0.
    // clang-format off
    result = RunProgram({
        0x2A, 0x06, 0x00,  // LD HL,(6)
        0xF9,              // LD SP,HL
        0x0E, 0x09,        // LD C,9
        0x11, 0x14, 0x01,  // LD DE,0x0114
        0xCD, 0x05, 0x00,  // CALL 5
        0x0E, 0x09,        // LD C,9: kept by the BDOS
        0xCD, 0x05, 0x00,  // CALL 5
        0xC3, 0x00, 0x00,  // JP 0
        'o',  'k',  '$',
    });
    // clang-format on
    EXPECT_EQ(result.failure, nullptr);
    EXPECT_EQ(output, "okok");
}

TEST(CpmRunner, RefusesProgramsThatDoNotFit) {
    std::vector<uint8_t> program(CpmMaxProgramSize + 1, 0x00);
    EXPECT_NE(CpmLoadProgram(program.data(), program.size(), Collect), nullptr);
    EXPECT_NE(CpmLoadProgram(program.data(), 0, Collect), nullptr);
    EXPECT_EQ(CpmLoadProgram(program.data(), CpmMaxProgramSize, Collect), nullptr);
    EXPECT_NE(CpmLoadFile(PLEXARO_BINARY_DIR "/no/such/program.com", Collect), nullptr);
}

TEST(CpmRunner, StopsProgramsThatWouldNeverReturn) {
    CpmRunResult result = RunProgram({0x18, 0xFE});  // JR $
    EXPECT_NE(result.failure, nullptr);
    EXPECT_GE(result.cycles, 10'000'000u);

    // Nothing can interrupt a HALT here, so it ends the run long before any limit.
    output.clear();
    const uint8_t halt = 0x76;
    ASSERT_EQ(CpmLoadProgram(&halt, 1, Collect), nullptr);
    result = CpmRun(1'000'000'000);
    EXPECT_NE(result.failure, nullptr);
    EXPECT_LT(result.cycles, 1'000'000'000u);
}

// cpmtest.com's work, as its comments describe it.
std::string ExpectedTestProgramOutput() {
    uint32_t crc = 0xFFFF, total = 0;
    for (uint32_t pass = 0; pass < 200; ++pass) {
        uint8_t buf[256];
        uint8_t x = uint8_t(pass);
        for (uint8_t& b : buf) b = x = uint8_t(5 * x + 0x11);
        for (uint32_t k = 0; k < 256; k += 2) {
            const uint8_t a = buf[k], b = buf[k + 1];
            buf[k] = a ^ b;
            buf[k + 1] = (a & 0xF0) | (b >> 4);
        }
        uint32_t sum = 0, count = 0;
        for (uint8_t b : buf) {
            crc ^= uint32_t(b) << 8;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1) & 0xFFFF;
            }
            sum += b;
            count += b == (pass & 0x0F);
        }
        total = (total + sum + count + 1'000'000 - pass) % 1'000'000;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Plexaro CP/M test\r\ncrc %04X sum %06u\r\n", crc, total);
    return text;
}

std::string RunTool(const std::string& arguments, int* status) {
    const std::string command = PLEXARO_BINARY_DIR "/tools/cpm/plexaro-cpm " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    if (!pipe) return text;
    char chunk[256];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) text.append(chunk, n);
    *status = pclose(pipe);
    return text;
}

TEST(CpmRunner, ToolRunsOurTestProgram) {
    int status = -1;
    const std::string text = RunTool(PLEXARO_BINARY_DIR "/cartridges/cpm/cpmtest.com", &status);
    EXPECT_EQ(status, 0) << text;
    const std::string expected = ExpectedTestProgramOutput();
    ASSERT_GE(text.size(), expected.size()) << text;
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_NE(text.find(" cycles in ", expected.size()), std::string::npos) << text;
    EXPECT_NE(text.find(" MHz", expected.size()), std::string::npos) << text;
}

TEST(CpmRunner, ToolReportsAMissingFile) {
    int status = 0;
    const std::string text = RunTool(PLEXARO_BINARY_DIR "/no/such/program.com", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(text.find("cannot open"), std::string::npos) << text;
}

}  // namespace
}  // namespace plexaro
