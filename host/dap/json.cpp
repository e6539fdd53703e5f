// The debug adapter's JSON: a recursive-descent reader and a compact writer.
#include "host/dap/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plexaro {
namespace {

constexpr int MaxDepth = 64;

struct Reader {
    std::string_view text;
    size_t at;
    std::string error;
};

bool Fail(Reader& r, const char* what) {
    if (r.error.empty()) r.error = std::string(what) + " at offset " + std::to_string(r.at);
    return false;
}

void SkipSpace(Reader& r) {
    while (r.at < r.text.size()) {
        const char c = r.text[r.at];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
        ++r.at;
    }
}

bool Literal(Reader& r, std::string_view word) {
    if (r.text.substr(r.at, word.size()) != word) return Fail(r, "unknown word");
    r.at += word.size();
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Hex4(Reader& r, uint32_t& code) {
    if (r.at + 4 > r.text.size()) return Fail(r, "short \\u escape");
    code = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = HexDigit(r.text[r.at++]);
        if (digit < 0) return Fail(r, "bad \\u escape");
        code = code * 16 + static_cast<uint32_t>(digit);
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool ReadString(Reader& r, std::string& out) {
    ++r.at;  // the opening quote
    while (r.at < r.text.size()) {
        const char c = r.text[r.at++];
        if (c == '"') return true;
        if (static_cast<unsigned char>(c) < 0x20) return Fail(r, "control character in a string");
        if (c != '\\') {
            out += c;
            continue;
        }
        if (r.at >= r.text.size()) break;
        const char e = r.text[r.at++];
        switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t code = 0;
                if (!Hex4(r, code)) return false;
                // A surrogate pair spells one character beyond the 16-bit plane; a lone half
                // becomes the replacement character rather than invalid UTF-8.
                if (code >= 0xD800 && code < 0xDC00 && r.text.substr(r.at, 2) == "\\u") {
                    r.at += 2;
                    uint32_t low = 0;
                    if (!Hex4(r, low)) return false;
                    code = (low >= 0xDC00 && low < 0xE000)
                               ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00)
                               : 0xFFFD;
                } else if (code >= 0xD800 && code < 0xE000) {
                    code = 0xFFFD;
                }
                AppendUtf8(out, code);
                break;
            }
            default: return Fail(r, "bad escape");
        }
    }
    return Fail(r, "unterminated string");
}

bool ReadNumber(Reader& r, double& out) {
    const size_t start = r.at;
    auto digits = [&] {
        const size_t from = r.at;
        while (r.at < r.text.size() && r.text[r.at] >= '0' && r.text[r.at] <= '9') ++r.at;
        return r.at > from;
    };
    if (r.at < r.text.size() && r.text[r.at] == '-') ++r.at;
    if (!digits()) return Fail(r, "bad number");
    if (r.at < r.text.size() && r.text[r.at] == '.') {
        ++r.at;
        if (!digits()) return Fail(r, "bad number");
    }
    if (r.at < r.text.size() && (r.text[r.at] == 'e' || r.text[r.at] == 'E')) {
        ++r.at;
        if (r.at < r.text.size() && (r.text[r.at] == '+' || r.text[r.at] == '-')) ++r.at;
        if (!digits()) return Fail(r, "bad number");
    }
    const std::string copy(r.text.substr(start, r.at - start));
    out = std::strtod(copy.c_str(), nullptr);
    return true;
}

bool ReadValue(Reader& r, Json& out, int depth) {
    if (depth > MaxDepth) return Fail(r, "nested too deeply");
    SkipSpace(r);
    if (r.at >= r.text.size()) return Fail(r, "value expected");
    const char c = r.text[r.at];
    out = Json{};
    if (c == 'n') return Literal(r, "null");
    if (c == 't') {
        out.kind = JsonBool;
        out.boolean = true;
        return Literal(r, "true");
    }
    if (c == 'f') {
        out.kind = JsonBool;
        return Literal(r, "false");
    }
    if (c == '"') {
        out.kind = JsonText;
        return ReadString(r, out.text);
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
        out.kind = JsonNum;
        return ReadNumber(r, out.number);
    }
    if (c != '[' && c != '{') return Fail(r, "value expected");
    const bool object = c == '{';
    const char close = object ? '}' : ']';
    out.kind = object ? JsonMap : JsonList;
    ++r.at;
    SkipSpace(r);
    if (r.at < r.text.size() && r.text[r.at] == close) {
        ++r.at;
        return true;
    }
    for (;;) {
        if (object) {
            SkipSpace(r);
            if (r.at >= r.text.size() || r.text[r.at] != '"')
                return Fail(r, "member name expected");
            std::string key;
            if (!ReadString(r, key)) return false;
            SkipSpace(r);
            if (r.at >= r.text.size() || r.text[r.at] != ':') return Fail(r, "':' expected");
            ++r.at;
            out.keys.push_back(std::move(key));
        }
        out.items.emplace_back();
        if (!ReadValue(r, out.items.back(), depth + 1)) return false;
        SkipSpace(r);
        if (r.at >= r.text.size()) return Fail(r, "unterminated array or object");
        if (r.text[r.at] == close) {
            ++r.at;
            return true;
        }
        if (r.text[r.at] != ',') return Fail(r, "',' expected");
        ++r.at;
    }
}

void WriteString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

void Write(std::string& out, const Json& value) {
    switch (value.kind) {
        case JsonNull: out += "null"; break;
        case JsonBool: out += value.boolean ? "true" : "false"; break;
        case JsonNum: {
            char text[32];
            const double n = value.number;
            if (std::isfinite(n) && n == std::floor(n) && std::fabs(n) < 9.0e15) {
                std::snprintf(text, sizeof text, "%lld", static_cast<long long>(n));
            } else if (std::isfinite(n)) {
                std::snprintf(text, sizeof text, "%.17g", n);
            } else {
                std::snprintf(text, sizeof text, "null");  // JSON has no infinities
            }
            out += text;
            break;
        }
        case JsonText: WriteString(out, value.text); break;
        case JsonList:
        case JsonMap: {
            out += value.kind == JsonMap ? '{' : '[';
            for (size_t i = 0; i < value.items.size(); ++i) {
                if (i > 0) out += ',';
                if (value.kind == JsonMap) {
                    WriteString(out, value.keys[i]);
                    out += ':';
                }
                Write(out, value.items[i]);
            }
            out += value.kind == JsonMap ? '}' : ']';
            break;
        }
    }
}

}  // namespace

bool ParseJson(std::string_view text, Json& out, std::string& error) {
    Reader r{text, 0, {}};
    bool ok = ReadValue(r, out, 0);
    if (ok) {
        SkipSpace(r);
        if (r.at != text.size()) ok = Fail(r, "text after the value");
    }
    if (!ok) {
        error = r.error;
        out = Json{};
    }
    return ok;
}

std::string WriteJson(const Json& value) {
    std::string out;
    Write(out, value);
    return out;
}

Json JsonNumber(double number) {
    Json value;
    value.kind = JsonNum;
    value.number = number;
    return value;
}

Json JsonString(std::string_view text) {
    Json value;
    value.kind = JsonText;
    value.text = text;
    return value;
}

Json JsonBoolean(bool flag) {
    Json value;
    value.kind = JsonBool;
    value.boolean = flag;
    return value;
}

Json JsonObject() {
    Json value;
    value.kind = JsonMap;
    return value;
}

Json JsonArray() {
    Json value;
    value.kind = JsonList;
    return value;
}

Json& JsonSet(Json& object, std::string_view key, Json value) {
    for (size_t i = 0; i < object.keys.size(); ++i) {
        if (object.keys[i] == key) return object.items[i] = std::move(value);
    }
    object.keys.emplace_back(key);
    object.items.push_back(std::move(value));
    return object.items.back();
}

Json& JsonPush(Json& array, Json value) {
    array.items.push_back(std::move(value));
    return array.items.back();
}

const Json* JsonFind(const Json& object, std::string_view key) {
    if (object.kind != JsonMap) return nullptr;
    for (size_t i = 0; i < object.keys.size(); ++i) {
        if (object.keys[i] == key) return &object.items[i];
    }
    return nullptr;
}

}  // namespace plexaro
