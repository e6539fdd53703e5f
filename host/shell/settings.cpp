// The settings file's keys: the text of each setting, and reading the text line by line so
// that one bad line costs only what it would have set. The file itself is settings_file.cpp's.
#include "host/shell/settings.h"

#include <algorithm>

#include "machine/sc3000.h"

namespace plexaro {
namespace {

constexpr const char* PlayerPrefix[BindingPlayers] = {"p1_", "p2_"};
constexpr const char* PadKeys[PadControlCount] = {"up",    "down",    "left",
                                                  "right", "button1", "button2"};
constexpr const char* ProgramKeys[ProgramKeyCount] = {"key_reset",           "key_pause",
                                                      "key_fast_forward",    "key_rewind",
                                                      "key_pause_emulation", "key_keyboard_mode"};
constexpr std::string_view UnknownKey = "unknown key '";  // how ReadLine's reason for one begins

std::string_view Trim(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// A readable value: printable text only, so that junk never lands in a path or a name.
bool Printable(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// One "key = value" line into settings; empty when it was read, else why not.
std::string ReadLine(std::string_view key, std::string_view value, Settings& settings) {
    const bool named = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
    if (!named) return "not a 'key = value' line";
    if (!Printable(value)) return "unreadable characters in the value of " + std::string(key);
    const auto bad = [&] {
        constexpr size_t Longest = 40;  // enough to recognise it by
        const std::string shown(value.substr(0, Longest));
        return "'" + shown + (value.size() > Longest ? "...'" : "'") + " is no value of " +
               std::string(key);
    };
    if (key == "window_scale") {
        if (value != "1" && value != "2" && value != "3") return bad();
        settings.windowScale = static_cast<uint32_t>(value[0] - '0');
    } else if (key == "rgb_mode") {
        if (value != "565" && value != "555") return bad();
        settings.rgbMode = value == "565" ? 1 : 0;
    } else if (key == "video") {
        if (value != "simple" && value != "hardware") return bad();
        settings.videoHardware = value == "hardware" ? 1 : 0;
    } else if (key == "machine") {
        const std::string name(value);
        if (!MachineFromName(name.c_str(), &settings.machine)) return bad();
    } else if (key == "sound_latency") {
        const auto* found =
            std::find_if(std::begin(SoundLatencies), std::end(SoundLatencies),
                         [&](const SoundLatencyChoice& c) { return value == c.name; });
        if (found == std::end(SoundLatencies)) return bad();
        settings.soundLatency = static_cast<uint32_t>(found - std::begin(SoundLatencies));
    } else if (key == "run_ahead") {
        if (value != "0" && value != "1" && value != "2") return bad();
        settings.runAhead = static_cast<uint32_t>(value[0] - '0');
    } else if (key == "live_reload") {
        if (value != "on" && value != "off") return bad();
        settings.liveReload = value == "on";
    } else if (key == "aspect") {
        if (PictureAspectNamed(value) == AspectCount) return bad();
        settings.picture.aspect = PictureAspectNamed(value);
    } else if (key == "scaling") {
        if (PictureScalingNamed(value) == ScalingCount) return bad();
        settings.picture.scaling = PictureScalingNamed(value);
    } else if (key == "filter") {
        if (PictureFilterNamed(value) == FilterCount) return bad();
        settings.picture.filter = PictureFilterNamed(value);
    } else if (key == "last_folder") {
        settings.lastFolder = value;
    } else if (key == "recent") {
        if (value.empty()) return bad();
        if (settings.recent.size() >= RecentCount) return "more than ten recent cartridges";
        settings.recent.emplace_back(value);
    } else {
        for (uint32_t which = 0; which < ProgramKeyCount; ++which) {
            if (key != ProgramKeys[which]) continue;
            const uint32_t code = KeyNamed(value);
            if (code == NoSuchName) return bad();
            BindProgramKey(settings.bindings, which, code);
            return {};
        }
        for (uint32_t player = 0; player < BindingPlayers; ++player) {
            if (key.substr(0, 3) != PlayerPrefix[player]) continue;
            const std::string_view control = key.substr(3);
            for (uint32_t pad = 0; pad < PadControlCount; ++pad) {
                if (control == PadKeys[pad]) {
                    const uint32_t code = KeyNamed(value);
                    if (code == NoSuchName) return bad();
                    BindKey(settings.bindings, player, pad, code);
                    return {};
                }
                if (control == std::string(PadKeys[pad]) + "_button") {
                    const uint32_t button = ButtonNamed(value);
                    if (button == NoSuchName) return bad();
                    BindButton(settings.bindings, player, pad, button);
                    return {};
                }
            }
        }
        return "unknown key '" + std::string(key.substr(0, 40)) + "'";
    }
    return {};
}

}  // namespace

std::string SettingsText(const Settings& settings) {
    std::string text =
        "# Plexaro's settings, written by Plexaro whenever one changes: only the lines of what\n"
        "# changed are rewritten. Lines it can't read are reported and left as comments.\n";
    const auto put = [&text](const std::string& key, std::string_view value) {
        text += key + " = " + std::string(value) + "\n";
    };
    put("window_scale", std::to_string(settings.windowScale));
    put("rgb_mode", settings.rgbMode == 1 ? "565" : "555");
    put("video", settings.videoHardware == 1 ? "hardware" : "simple");
    put("machine", MachineName(settings.machine));
    put("sound_latency",
        SoundLatencies[std::min<uint32_t>(settings.soundLatency, SoundLatencySafe)].name);
    put("run_ahead", std::to_string(settings.runAhead));
    put("live_reload", settings.liveReload ? "on" : "off");
    put("aspect", PictureAspectName(settings.picture.aspect));
    put("scaling", PictureScalingName(settings.picture.scaling));
    put("filter", PictureFilterName(settings.picture.filter));
    put("last_folder", settings.lastFolder);
    for (const std::string& path : settings.recent) put("recent", path);
    const Bindings& bindings = settings.bindings;
    for (uint32_t player = 0; player < BindingPlayers; ++player) {
        for (uint32_t pad = 0; pad < PadControlCount; ++pad) {
            const std::string key = std::string(PlayerPrefix[player]) + PadKeys[pad];
            const char* name = KeyName(bindings.key[player][pad]);
            const char* button = ButtonName(bindings.button[player][pad]);
            put(key, name != nullptr ? name : "none");
            put(key + "_button", button != nullptr ? button : "none");
        }
    }
    for (uint32_t which = 0; which < ProgramKeyCount; ++which) {
        const char* name = KeyName(bindings.programKey[which]);
        put(ProgramKeys[which], name != nullptr ? name : "none");
    }
    return text;
}

Settings SettingsFromText(std::string_view text, SettingsProblem* problem) {
    Settings settings;
    SettingsProblem found{};
    uint32_t number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const size_t equals = line.find('=');
        std::string why;
        if (equals == std::string_view::npos) {
            why = "not a 'key = value' line";
        } else {
            why = ReadLine(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), settings);
        }
        if (why.empty()) continue;
        // A key this build doesn't know may be a later build's: no damage, it stays as written.
        if (why.rfind(UnknownKey, 0) != 0) found.damaged.push_back(number);
        if (found.count++ == 0) {
            found.line = number;
            found.what = why;
        }
    }
    if (problem != nullptr) *problem = found;
    return settings;
}

void AddRecent(Settings& settings, const std::string& path) {
    auto& recent = settings.recent;
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
    recent.insert(recent.begin(), path);
    if (recent.size() > RecentCount) recent.resize(RecentCount);
}

}  // namespace plexaro
