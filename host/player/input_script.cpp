// Input scripts: the parser, and the lookup of what a script holds at a given frame.
#include "host/player/input_script.h"

#include <algorithm>
#include <charconv>

#include "machine/machine.h"
#include "machine/typing.h"

namespace plexaro {
namespace {

struct Word {
    std::string_view name;
    uint32_t control;  // a JoypadButton bit, or 0 for an event
    uint32_t pauses;
    bool reset;
};

constexpr Word Words[] = {
    {"up", 1u << JoypadUp, 0, false},
    {"down", 1u << JoypadDown, 0, false},
    {"left", 1u << JoypadLeft, 0, false},
    {"right", 1u << JoypadRight, 0, false},
    {"button1", 1u << JoypadButton1, 0, false},
    {"button2", 1u << JoypadButton2, 0, false},
    {"p2-up", 1u << (ScriptPlayer2Shift + JoypadUp), 0, false},
    {"p2-down", 1u << (ScriptPlayer2Shift + JoypadDown), 0, false},
    {"p2-left", 1u << (ScriptPlayer2Shift + JoypadLeft), 0, false},
    {"p2-right", 1u << (ScriptPlayer2Shift + JoypadRight), 0, false},
    {"p2-button1", 1u << (ScriptPlayer2Shift + JoypadButton1), 0, false},
    {"p2-button2", 1u << (ScriptPlayer2Shift + JoypadButton2), 0, false},
    {"pause", 0, 1, false},
    {"reset", 0, 0, true},
};
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view KeyPrefix = "kb-";
constexpr std::string_view TextWord = "text";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits off the next blank-separated word; empty when the text is used up.
std::string_view NextWord(std::string_view& text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t end = start;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    const std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

bool ParseFrame(std::string_view text, uint64_t& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end;
}

// The rest of a text line: a double-quoted string, and nothing after it.
std::string ParseText(std::string_view text, ScriptLine& line) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return "text needs a string in double quotes";
    }
    std::string typed;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '"') return "a quote inside text's string must be written \\\"";
        if (c == '\\') {
            if (i + 2 >= text.size()) return "text's string ends in a lone backslash";
            c = text[++i];
            if (c == 'n') {
                c = '\n';
            } else if (c != '"' && c != '\\') {
                return std::string("unknown escape \\") + c + " in text's string";
            }
        }
        typed += c;
    }
    if (PrepareTyping(typed, line.typed) != 0) {
        return "text's string has a character no key types";
    }
    if (line.typed.empty()) return "text's string is empty";
    // A string typed from near the last frame there is would end past it: it ends there.
    const uint64_t length = TypingFrames(line.typed);
    line.last = length - 1 > UINT64_MAX - line.first ? UINT64_MAX : line.first + length - 1;
    return {};
}

// Where a line's comment starts: its first '#' outside a double-quoted string.
size_t CommentStart(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && quoted) {
            ++i;
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == '#' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

// One line without its comment. Returns an empty string when it is good.
std::string ParseLine(std::string_view text, ScriptLine& line, bool& blank) {
    const std::string_view range = NextWord(text);
    blank = range.empty();
    if (blank) return {};

    const size_t dash = range.find('-');
    const std::string_view firstText = range.substr(0, dash);
    const std::string_view lastText =
        dash == std::string_view::npos ? firstText : range.substr(dash + 1);
    if (!ParseFrame(firstText, line.first) || !ParseFrame(lastText, line.last)) {
        return "'" + std::string(range) + "' is not a frame number or a range first-last";
    }
    if (line.last < line.first) {
        return "the range '" + std::string(range) + "' ends before it starts";
    }

    line.controls = 0;
    line.pauses = 0;
    line.reset = false;
    line.keys = 0;
    bool any = false;
    for (std::string_view name = NextWord(text); !name.empty(); name = NextWord(text)) {
        if (name == TextWord) {
            if (any || dash != std::string_view::npos) {
                return "text takes a line of its own, after a single frame number";
            }
            return ParseText(text, line);
        }
        if (name.starts_with(KeyPrefix)) {
            const std::string key(name.substr(KeyPrefix.size()));
            uint32_t found = 0;
            if (!KeyFromName(key.c_str(), &found)) return "unknown key '" + std::string(name) + "'";
            line.keys |= KeyBit(found);
            any = true;
            continue;
        }
        const Word* found = nullptr;
        for (const Word& word : Words) {
            if (word.name == name) found = &word;
        }
        if (found == nullptr) return "unknown word '" + std::string(name) + "'";
        line.controls |= found->control;
        line.pauses += found->pauses;
        line.reset = line.reset || found->reset;
        any = true;
    }
    if (!any) return "no control or event after the frame number";
    return {};
}

}  // namespace

bool ParseInputScript(std::string_view text, InputScript& script, uint32_t& errorLine,
                      std::string& error) {
    script = {};
    if (text.starts_with(ByteOrderMark)) text.remove_prefix(ByteOrderMark.size());
    uint32_t number = 0;
    while (!text.empty()) {
        ++number;
        const size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        line = line.substr(0, CommentStart(line));

        ScriptLine parsed{};
        bool blank = false;
        error = ParseLine(line, parsed, blank);
        if (!error.empty()) {
            errorLine = number;
            return false;
        }
        if (!blank) script.lines.push_back(parsed);
    }
    std::stable_sort(script.lines.begin(), script.lines.end(),
                     [](const ScriptLine& a, const ScriptLine& b) { return a.first < b.first; });
    script.active.reserve(script.lines.size());
    return true;
}

FrameInput ScriptInputForFrame(InputScript& script, uint64_t frame) {
    if (frame < script.lastFrame) {
        script.nextLine = 0;
        script.active.clear();
    }
    script.lastFrame = frame;
    while (script.nextLine < script.lines.size() && script.lines[script.nextLine].first <= frame) {
        script.active.push_back(static_cast<uint32_t>(script.nextLine++));
    }
    std::erase_if(script.active, [&](uint32_t index) { return script.lines[index].last < frame; });

    FrameInput input{0, 0, false, 0};
    for (const uint32_t index : script.active) {
        const ScriptLine& line = script.lines[index];
        input.controls |= line.controls;
        input.keys |= line.keys;
        if (!line.typed.empty()) input.keys |= TypingKeysAt(line.typed, frame - line.first);
        if (frame == line.first) {
            input.pauses += line.pauses;
            input.reset = input.reset || line.reset;
        }
    }
    return input;
}

}  // namespace plexaro
