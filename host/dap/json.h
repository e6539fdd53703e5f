// A small JSON reader and writer for the debug adapter's messages: a value is a plain record
// (null, true/false, a number, a string, an array or an object whose members keep their
// order), read from text whole and written back compactly. Numbers are doubles; those with
// no fraction are written as integers, as the protocol's ids and addresses are.
//
//     Json request;
//     std::string error;
//     if (!ParseJson(text, request, error)) reply(error);
//     const Json* args = JsonFind(request, "arguments");
//     Json body = JsonObject();
//     JsonSet(body, "threadId", JsonNumber(1));
//     send(WriteJson(body));
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plexaro {

enum JsonKind : uint8_t { JsonNull, JsonBool, JsonNum, JsonText, JsonList, JsonMap };

struct Json {
    JsonKind kind = JsonNull;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<std::string> keys;  // an object's member names, keys[i] naming items[i]
    std::vector<Json> items;        // an array's elements or an object's member values
};

// Reads one value filling the whole text (white space around it aside). Nesting deeper than
// 64 levels is refused, so hostile input cannot exhaust the stack.
bool ParseJson(std::string_view text, Json& out, std::string& error);
std::string WriteJson(const Json& value);

Json JsonNumber(double number);
Json JsonString(std::string_view text);
Json JsonBoolean(bool value);
Json JsonObject();
Json JsonArray();
// Sets (or replaces) an object's member; returns the stored value.
Json& JsonSet(Json& object, std::string_view key, Json value);
Json& JsonPush(Json& array, Json value);
// An object's member, or null when the value is no object or has no such member.
const Json* JsonFind(const Json& object, std::string_view key);

}  // namespace plexaro
