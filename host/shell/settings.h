// Settings that stay from one run to the next, in $XDG_CONFIG_HOME/plexaro/settings.ini
// (else ~/.config/plexaro/settings.ini): one "key = value" a line, '#' starts a comment.
//
// A missing file gives the defaults. A line that can't be read (bad syntax, a value out of
// range) keeps the default of what it would have set, and the load prints one warning line
// naming the file and the first such line. The damaged file is first copied whole beside
// itself as settings.ini.bad, then its unreadable lines become comments, and the notice for
// the picture says so. A key this build doesn't know is warned about and left as it is (a later
// build may have written it). A file that can't be read at all gives every default; copied
// aside it is written afresh, else it is left alone and nothing is saved over it. Nothing
// about it ever stops the program. A change rewrites only the lines of the settings that
// changed; every other line stays as it was.
//
//     LoadSettings(SettingsPath());          // at start: the saved record
//     Settings changed = SavedSettings(); changed.rgbMode = 0;
//     StoreSettings(changed);                // written now, if anything changed
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/shell/audio.h"
#include "host/shell/bindings.h"
#include "host/shell/picture.h"

namespace plexaro {

inline constexpr uint32_t RecentCount = 10;

struct Settings {
    uint32_t windowScale = 2;                 // 1..3: the picture's size in the window
    uint32_t rgbMode = 1;                     // 1: RGB 565, 0: RGB 555
    uint32_t videoHardware = 0;               // 1: the hardware video behaviour, 0: the simple one
    uint32_t machine = 0;                     // a MachineKind: auto, sg1000 or sc3000
    uint32_t soundLatency = SoundLatencyLow;  // a SoundLatency
    uint32_t runAhead = 0;                    // 0..2: frames run ahead of the picture shown
    bool liveReload = true;
    PictureLook picture;  // Video > Aspect, Scaling and Filter
    Bindings bindings = DefaultBindings();
    std::string lastFolder;           // where the open-file dialog was last used
    std::vector<std::string> recent;  // cartridges, most recent first, at most RecentCount
    bool operator==(const Settings&) const = default;
};

// What the file can't give: the first line it couldn't read (0: the whole file) and why,
// how many lines it could not read, and which of them are damage, not unknown keys.
struct SettingsProblem {
    uint32_t line;
    std::string what;
    uint32_t count;
    std::vector<uint32_t> damaged;  // line numbers, from 1
};

// Empty when neither XDG_CONFIG_HOME nor HOME names a folder: nothing is then kept.
std::string SettingsPath();

// The text of a file, and the settings it gives (defaults for what it can't).
std::string SettingsText(const Settings& settings);
Settings SettingsFromText(std::string_view text, SettingsProblem* problem);

// Reads the file at path (empty: none) into the saved record and returns it; one line on
// stderr when something in it could not be read.
const Settings& LoadSettings(const std::string& path);
const Settings& SavedSettings();
// What the last load found damaged, as a line for the picture ("settings.ini line 3 could not
// be read; kept as settings.ini.bad"); empty when it found nothing wrong.
const std::string& SettingsDamage();
// Makes `changed` the saved record and, when it differs from what was saved, rewrites the
// lines of what changed (the file replaced whole, so a crash never leaves half of it). False
// when the write failed, said on stderr once for each new reason.
bool StoreSettings(const Settings& changed);

// Puts an already absolute cartridge path first in the list, once, keeping RecentCount.
void AddRecent(Settings& settings, const std::string& path);

}  // namespace plexaro
