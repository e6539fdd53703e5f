// What the shell keeps in the settings file: each setting the user changes through a menu
// or a dialog, and the cartridges loaded, in File > Recent. Only the user's own changes are
// written, so a choice the command line made for one run never reaches the file.
#include <filesystem>
#include <string>

#include "host/options.h"
#include "host/os/os.h"
#include "host/shell/audio.h"
#include "host/shell/input.h"
#include "host/shell/run_ahead.h"
#include "host/shell/settings.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "machine/sc3000.h"

namespace plexaro {
namespace {

void Store(const Settings& changed) {
    // The reason went to stderr; the player learns over the picture that it did not stay.
    if (!StoreSettings(changed)) WindowShowNotice("settings not saved");
}

}  // namespace

PlayerOptions ShellRunOptions(const PlayerOptions& options, const Settings& saved) {
    PlayerOptions run = options;
    if (!run.rgbGiven) run.rgbMode = saved.rgbMode;
    if (!run.videoGiven) run.videoHardware = saved.videoHardware;
    if (!run.machineGiven) run.machine = saved.machine;
    if (!run.runAheadGiven) run.runAhead = saved.runAhead;
    if (run.audioLatencyMs == 0 && saved.soundLatency < SoundLatencyCount) {
        run.audioLatencyMs = SoundLatencies[saved.soundLatency].milliseconds;
    }
    return run;
}

const Settings& ShellStartSettings() {
    // Said over the picture as well as on stderr: a player rarely sees the terminal.
    if (!SettingsDamage().empty()) WindowShowNotice(SettingsDamage().c_str());
    return SavedSettings();
}

void ShellSettingsCommand(uint32_t id) {
    const ShellState& shell = Shell();
    Settings changed = SavedSettings();
    if (id >= CommandRecent1 && id < CommandRecent1 + RecentCount) {
        const uint32_t index = id - CommandRecent1;
        if (index >= changed.recent.size()) return;
        const std::string path = changed.recent[index];  // the load reorders the list
        ShellFileChosen(path);
        return;
    }
    switch (id) {
        case CommandSize1:
        case CommandSize2:
        case CommandSize3: changed.windowScale = shell.sizeChecked; break;
        case CommandRgb565:
        case CommandRgb555: changed.rgbMode = shell.RgbMode == 1 ? 1 : 0; break;
        case CommandHardwareAccuracy: changed.videoHardware = shell.HardwareAccuracy == 1; break;
        case CommandLiveReload: changed.liveReload = shell.LiveReload == 1; break;
        case CommandSoundLatencyLow:
        case CommandSoundLatencyLow + 1:
        case CommandSoundLatencyLow + 2: changed.soundLatency = AudioLatency(); break;
        case CommandRunAheadOff:
        case CommandRunAheadOff + 1:
        case CommandRunAheadOff + 2: changed.runAhead = RunAheadFrames(); break;
        case CommandClearRecent: changed.recent.clear(); break;
        case CommandSystemAuto:
        case CommandSystemAuto + 1:
        case CommandSystemAuto + 2: changed.machine = SelectedMachine(); break;
        case CommandStrech:
        case CommandAspectConsole:
        case CommandAspectConsole + 1:
        case CommandAspectConsole + 2:
        case CommandScalingFit:
        case CommandScalingFit + 1:
        case CommandFilterSharp:
        case CommandFilterSharp + 1:
        case CommandFilterSharp + 2: changed.picture = ShellPictureLook(); break;
        default: return;
    }
    Store(changed);
}

void ShellRememberCartridge(const std::string& path) {
    std::error_code error;
    const std::string absolute =
        TextOf(std::filesystem::absolute(PathOf(path), error).lexically_normal());
    // A name the file could not hold on one line is not worth a broken file.
    if (error || absolute.find_first_of("\r\n") != std::string::npos) return;
    Settings changed = SavedSettings();
    AddRecent(changed, absolute);
    Store(changed);
}

void ShellSetBindings(const Bindings& bindings) {
    InputSetBindings(bindings);
    Settings changed = SavedSettings();
    changed.bindings = bindings;
    Store(changed);
}

void ShellSetDialogFolder(const std::string& folder) {
    Settings changed = SavedSettings();
    changed.lastFolder = folder;
    Store(changed);
}

}  // namespace plexaro
