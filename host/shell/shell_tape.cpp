// Machine > Tape: the cassette recorder's buttons, the tape's file, and the recording written
// beside the cartridge as the frames run. What goes wrong is said over the picture: a tape
// that can't play never stops the game.
#include <filesystem>
#include <string>

#include "host/os/os.h"
#include "host/shell/notices.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"
#include "host/tape.h"
#include "machine/cassette.h"

namespace plexaro {
namespace {

constexpr int MostRecordings = 999;  // NAME-tape-1.wav to NAME-tape-999.wav

TapeRecording recording = {};
std::string recordingName;

std::string FileName(const std::string& path) {
    return TextOf(PathOf(path).filename());
}

// The first NAME-tape-N.wav beside the running cartridge that is not there yet.
std::string NewRecordingPath() {
    const std::filesystem::path cartridge = PathOf(Shell().runningPath);
    const std::filesystem::path folder = cartridge.parent_path();
    const std::string stem = TextOf(cartridge.stem());
    for (int n = 1; n <= MostRecordings; ++n) {
        const std::filesystem::path path =
            folder / PathOf(stem + "-tape-" + std::to_string(n) + ".wav");
        std::error_code error;
        if (!std::filesystem::exists(path, error) && !error) return TextOf(path);
    }
    return "";
}

void FinishRecording() {
    if (!recording.active) return;
    if (FinishTapeRecording(recording)) {
        ShellNotice("tape recorded: " + recordingName);
    } else {
        ShellNotice("the tape " + recordingName +
                    " could not be written: " + recording.wav.problem);
    }
}

void Record() {
    if (Shell().runningPath.empty()) {
        ShellNotice("load a program before recording a tape");
        return;
    }
    FinishRecording();
    const std::string path = NewRecordingPath();
    if (path.empty()) {
        ShellNotice("no free name for a new tape beside the program");
        return;
    }
    recordingName = FileName(path);
    if (StartTapeRecording(path, recording)) {
        ShellNotice("recording to " + recordingName);
    } else {
        ShellNotice("can't record to " + recordingName + ": " + recording.wav.problem);
    }
}

}  // namespace

void ShellTapeChosen(const std::string& path, bool play) {
    TapeSound sound{};
    std::string why = ReadTapeFile(path, sound);
    if (why.empty()) {
        FinishRecording();
        why = InsertTape(sound);
    }
    if (!why.empty()) {
        ShellNotice("can't play the tape " + FileName(path) + ": " + why);
        return;
    }
    if (play) CassettePlay();
    ShellNotice(std::string(play ? "tape playing: " : "tape inserted: ") + sound.name);
}

bool ShellTapeCommand(uint32_t id) {
    switch (id) {
        case CommandTapeInsert: WindowOpenTapeDialog(); return true;
        case CommandTapePlay:
            FinishRecording();
            CassettePlay();
            return true;
        case CommandTapeStop:
            FinishRecording();
            CassetteStop();
            return true;
        case CommandTapeRewind: CassetteRewind(); return true;
        case CommandTapeRecord: Record(); return true;
        case CommandTapeEject:
            FinishRecording();
            CassetteEject();
            return true;
        default: return false;
    }
}

void ShellTapePassEnded() {
    KeepTapeRecording(recording);
}

void ShellTapeShutdown() {
    FinishRecording();
}

}  // namespace plexaro
