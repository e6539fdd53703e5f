// The debug adapter without a process: its JSON and framing against hostile and split input,
// and a session driven request by request on the debuggee cartridge, checking what a client
// would be told.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/dap/adapter.h"
#include "host/dap/json.h"
#include "host/dap/wire.h"
#include "machine/debugger.h"
#include "machine/machine.h"

namespace plexaro {
namespace {

TEST(DapJson, ReadsWhatEditorsSendAndWritesItBack) {
    Json value;
    std::string error;
    ASSERT_TRUE(ParseJson(R"( {"seq":3,"s":"a\"b\\c\n\u00e9\ud83d\ude00","l":[true,null,-1.5e2],
                              "o":{}} )",
                          value, error))
        << error;
    EXPECT_EQ(JsonFind(value, "seq")->number, 3);
    EXPECT_EQ(JsonFind(value, "s")->text, "a\"b\\c\n\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(JsonFind(value, "l")->items[2].number, -150);
    // Written back and read again, the same value; integers stay integers on the wire.
    const std::string written = WriteJson(value);
    EXPECT_NE(written.find("\"seq\":3,"), std::string::npos) << written;
    Json again;
    ASSERT_TRUE(ParseJson(written, again, error)) << written;
    EXPECT_EQ(WriteJson(again), written);
    // Control characters go out escaped.
    EXPECT_EQ(WriteJson(JsonString(std::string("a\x01", 2))), "\"a\\u0001\"");
}

TEST(DapJson, RefusesMalformedAndHostileText) {
    Json value;
    std::string error;
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "\"open", "01x", "tru", "[1] 2",
                            "{\"a\":\"\x01\"}", "\"\\q\""}) {
        EXPECT_FALSE(ParseJson(bad, value, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    // Deep nesting is refused before it can exhaust the stack.
    EXPECT_FALSE(ParseJson(std::string(100000, '['), value, error));
}

TEST(DapWire, TakesWholeMessagesFromAnyPieces) {
    WireReader reader{};
    std::string body, error;
    const std::string stream = FrameMessage("{\"a\":1}") + FrameMessage("{\"b\":2}");
    std::vector<std::string> bodies;
    for (const char c : stream) {  // a byte at a time: the worst a pipe can do
        reader.pending += c;
        while (TakeMessage(reader, body, error)) bodies.push_back(body);
        ASSERT_TRUE(error.empty()) << error;
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}"}));
    // Other header lines are ignored, the name's case too.
    reader.pending = "X-Other: 1\r\ncontent-length: 2\r\n\r\n{}";
    EXPECT_TRUE(TakeMessage(reader, body, error));
    EXPECT_EQ(body, "{}");
    for (const char* bad : {"Content-Length: x\r\n\r\n", "Length: 2\r\n\r\n{}",
                            "Content-Length: 99999999999\r\n\r\n"}) {
        reader.pending = bad;
        EXPECT_FALSE(TakeMessage(reader, body, error));
        EXPECT_FALSE(error.empty()) << bad;
    }
}

std::vector<Json> sent;

void Collect(const std::string& body) {
    Json message;
    std::string error;
    ASSERT_TRUE(ParseJson(body, message, error)) << body;
    sent.push_back(std::move(message));
}

int64_t nextSeq = 1;

// Sends a request and returns its response (the events it caused stay in `sent`).
Json Request(const std::string& command, const std::string& arguments = "{}") {
    const int64_t seq = nextSeq++;
    DapReceive("{\"seq\":" + std::to_string(seq) + ",\"type\":\"request\",\"command\":\"" +
               command + "\",\"arguments\":" + arguments + "}");
    for (const Json& message : sent) {
        const Json* type = JsonFind(message, "type");
        const Json* of = JsonFind(message, "request_seq");
        if (type->text == "response" && of != nullptr && of->number == seq) return message;
    }
    ADD_FAILURE() << command << ": no response";
    return Json{};
}

bool Succeeded(const Json& response) {
    const Json* success = JsonFind(response, "success");
    return success != nullptr && success->boolean;
}

// The first event of that name not yet looked at, after running frames until it comes.
const Json* AwaitEvent(const std::string& name, size_t& from) {
    for (int frames = 0; frames < 600; ++frames) {
        for (; from < sent.size(); ++from) {
            const Json* event = JsonFind(sent[from], "event");
            if (event != nullptr && event->text == name) return &sent[from++];
        }
        DapWork();
    }
    return nullptr;
}

const std::string Debuggee = PLEXARO_BINARY_DIR "/cartridges/tests/debuggee.sg";

class DapSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        sent.clear();
        DapBegin(PlayerOptions{}, Collect);
    }
    void TearDown() override { DapFinish(); }
};

TEST_F(DapSessionTest, BadRequestsGetErrorsNeverACrash) {
    const struct {
        const char* command;
        const char* arguments;
    } bad[] = {
        {"noSuchRequest", "{}"},
        {"continue", "{}"},  // before launch
        {"readMemory", "{\"memoryReference\":\"0x0000\",\"count\":4}"},
        {"launch", "{}"},
        {"launch", "{\"program\":7}"},
        {"launch", "{\"program\":\"/nonexistent/game.sg\"}"},
        {"launch", "[1]"},
        {"setBreakpoints", "{\"source\":{\"path\":\"a.c\"},\"breakpoints\":{}}"},
        {"setFunctionBreakpoints", "{\"breakpoints\":[{\"name\":5}]}"},
        {"scopes", "{}"},
        {"variables", "{\"variablesReference\":1.5}"},
    };
    for (const auto& request : bad) {
        const Json response = Request(request.command, request.arguments);
        EXPECT_FALSE(Succeeded(response)) << request.command << " " << request.arguments;
        const Json* message = JsonFind(response, "message");
        ASSERT_NE(message, nullptr) << request.command;
        EXPECT_FALSE(message->text.empty());
    }
    sent.clear();
    DapReceive("this is not JSON");
    DapReceive("{\"type\":\"event\"}");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_FALSE(Succeeded(sent[0]));
    EXPECT_FALSE(Succeeded(sent[1]));
}

TEST_F(DapSessionTest, BreaksStepsWatchesAndHearsTheGame) {
    if (!std::filesystem::exists(Debuggee)) GTEST_SKIP() << "debuggee.sg not built";
    ASSERT_TRUE(Succeeded(Request("initialize", "{\"adapterID\":\"plexaro\"}")));
    ASSERT_TRUE(
        Succeeded(Request("launch", "{\"program\":\"" + Debuggee + "\",\"realTime\":false}")));
    // A hit count: the third call of bump stops, and the counter shows two passes done.
    const Json set = Request("setFunctionBreakpoints",
                             R"({"breakpoints":[{"name":"bump","hitCondition":"3"}]})");
    ASSERT_TRUE(Succeeded(set));
    EXPECT_TRUE(JsonFind(JsonFind(set, "body")->items[0].items[0], "verified")->boolean);
    ASSERT_TRUE(Succeeded(Request("configurationDone")));
    size_t seen = 0;
    const Json* greeting = AwaitEvent("output", seen);
    // Symbols are reported first; the game's message follows.
    while (greeting != nullptr &&
           JsonFind(*JsonFind(*greeting, "body"), "output")->text.find("hello") ==
               std::string::npos) {
        greeting = AwaitEvent("output", seen);
    }
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*greeting, "body"), "output")->text, "hello from the game\n");
    const Json* stopped = AwaitEvent("stopped", seen);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*stopped, "body"), "reason")->text, "breakpoint");
    Json value = Request("evaluate", R"({"expression":"counter"})");
    EXPECT_EQ(JsonFind(*JsonFind(value, "body"), "result")->text, "2 (0x2)");
    EXPECT_EQ(JsonFind(*JsonFind(Request("evaluate",
                                         R"({"expression":"pc == bump && &counter == 0xc000"})"),
                                 "body"),
                       "result")
                  ->text,
              "1 (0x1)");
    // Step over the counter's load and increment, then step out of bump to the loop.
    ASSERT_TRUE(Succeeded(Request("next")));
    ASSERT_TRUE(Succeeded(Request("stepIn")));
    EXPECT_EQ(
        JsonFind(*JsonFind(Request("evaluate", R"({"expression":"a"})"), "body"), "result")->text,
        "3 (0x3)");
    ASSERT_TRUE(Succeeded(Request("setFunctionBreakpoints", R"({"breakpoints":[]})")));
    seen = sent.size();
    ASSERT_TRUE(Succeeded(Request("stepOut")));
    stopped = AwaitEvent("stopped", seen);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*stopped, "body"), "reason")->text, "step");
    const Json trace = Request("stackTrace", R"({"threadId":1})");
    const Json& top = JsonFind(trace, "body")->items[0].items[0];
    EXPECT_EQ(JsonFind(top, "name")->text.substr(0, 9), "main_loop");
    // A data breakpoint on a write of total stops after the write, with its new value.
    const Json info = Request("dataBreakpointInfo", R"({"name":"total"})");
    const std::string id = JsonFind(*JsonFind(info, "body"), "dataId")->text;
    EXPECT_EQ(id, "0xc002/1");
    ASSERT_TRUE(Succeeded(
        Request("setDataBreakpoints", R"({"breakpoints":[{"dataId":")" + id + R"("}]})")));
    seen = sent.size();
    ASSERT_TRUE(Succeeded(Request("continue")));
    stopped = AwaitEvent("stopped", seen);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*stopped, "body"), "reason")->text, "data breakpoint");
    const Json memory = Request("readMemory", R"({"memoryReference":"total","count":2})");
    // total is 1 + 2 + 3 + 4 = 10 after the fourth pass: "CgA=" is base64 of 0a 00.
    EXPECT_EQ(JsonFind(*JsonFind(memory, "body"), "data")->text, "CgA=");
}

// The session on a window's machine: the window runs the frames through DapRunFrame.
uint32_t windowLoads = 0;
bool LoadLikeAWindow(const std::string& path, int32_t, int32_t, bool& kept, std::string& error) {
    kept = false;
    ++windowLoads;
    if (const char* why = InitMachine(256)) error = why;
    if (const char* why = LoadCartridge(path.c_str())) error = why;
    DebuggerResetPosition();
    return error.empty();
}
void Nothing() {}
std::string NoCartridge() {
    return "";
}
const DapHost FakeWindow{LoadLikeAWindow, Nothing, Nothing, NoCartridge};

// Runs the window's frames until the session tells the client `name`.
const Json* WindowFramesUntil(const std::string& name, size_t& from) {
    for (int frames = 0; frames < 120; ++frames) {
        for (; from < sent.size(); ++from) {
            const Json* event = JsonFind(sent[from], "event");
            if (event != nullptr && event->text == name) return &sent[from++];
        }
        DapRunFrame();
        DapFollowHost();
    }
    return nullptr;
}

TEST_F(DapSessionTest, InAWindowItSharesTheDebuggerAndLeavesTheGameRunning) {
    if (!std::filesystem::exists(Debuggee)) GTEST_SKIP() << "debuggee.sg not built";
    DapFinish();
    DapBeginHosted(PlayerOptions{}, Collect, FakeWindow);
    ASSERT_TRUE(Succeeded(Request("initialize")));
    ASSERT_TRUE(Succeeded(Request("launch", "{\"program\":\"" + Debuggee + "\"}")));
    EXPECT_EQ(windowLoads, 1u);
    // The CPU window's own breakpoint on add_total, and the client's on bump whose condition
    // never holds: the window must run past bump within its frames and stop at add_total.
    const std::string where =
        JsonFind(*JsonFind(Request("evaluate", R"({"expression":"add_total"})"), "body"), "result")
            ->text;
    const auto addTotal =
        static_cast<uint16_t>(std::stoul(where.substr(where.find("0x")), nullptr, 16));
    DebuggerAddBreakpoint(addTotal);
    ASSERT_TRUE(
        Succeeded(Request("setFunctionBreakpoints",
                          R"({"breakpoints":[{"name":"bump","condition":"counter == 999"}]})")));
    ASSERT_TRUE(Succeeded(Request("configurationDone")));
    size_t seen = sent.size();
    const Json* stopped = WindowFramesUntil("stopped", seen);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*stopped, "body"), "reason")->text, "breakpoint");
    EXPECT_EQ(
        JsonFind(*JsonFind(Request("evaluate", R"({"expression":"pc"})"), "body"), "result")->text,
        std::to_string(addTotal) + where.substr(where.find(' ')));
    // The window's Run and Stop buttons are told to the client as they happen.
    DebuggerRemoveBreakpoint(addTotal);
    DebuggerResume();
    ASSERT_NE(WindowFramesUntil("continued", seen), nullptr);
    DebuggerStop();
    stopped = WindowFramesUntil("stopped", seen);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(JsonFind(*JsonFind(*stopped, "body"), "reason")->text, "pause");
    // Disconnecting takes the client's breakpoint away and leaves the window's, and its game
    // runs on.
    const uint16_t bump = static_cast<uint16_t>(std::stoul(
        JsonFind(*JsonFind(Request("evaluate", R"({"expression":"bump"})"), "body"), "result")
            ->text));
    DebuggerAddBreakpoint(addTotal);
    ASSERT_TRUE(Succeeded(Request("disconnect")));
    EXPECT_TRUE(DapEnded());
    DapFinish();
    EXPECT_FALSE(DebuggerHasBreakpoint(bump));
    EXPECT_TRUE(DebuggerHasBreakpoint(addTotal));
    EXPECT_FALSE(DebuggerStopped());
    EXPECT_NE(ConsoleMemory(), nullptr);
    DebuggerClearBreakpoints();
    ShutdownMachine();
}

}  // namespace
}  // namespace plexaro
