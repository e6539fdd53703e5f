// The fakes' side of the platform layers' functions.
#include "tests/host/shell/shell_fakes.h"

#include <algorithm>
#include <cstring>

#include "host/shell/window.h"

namespace plexaro {
namespace fake {

Window window;
Display display;
SoundCard card;
Controller controller;
Controller controller2;

void Reset() {
    window = {};
    display = {};
    std::memset(&card, 0, sizeof card);
    controller = {};
    controller2 = {};
}

void AdvanceCard(uint64_t nanoseconds) {
    const uint64_t end = card.now + nanoseconds;
    const double chunk = card.deviceSamples;
    for (;;) {
        const auto due =
            static_cast<uint64_t>(static_cast<double>(card.chunksTaken) * chunk * 1e9 / card.rate);
        if (due > end) break;
        const uint64_t first = card.chunksTaken * card.deviceSamples * 2;
        bool dry = false;
        for (uint64_t i = 0; i < uint64_t{card.deviceSamples} * 2; i += 2) {
            const uint8_t* sample = card.buffer + (first + i) % AudioBufferBytes;
            dry = dry || (sample[0] == 0 && sample[1] == 0);
        }
        // Dry only once sound has flowed: the card starts on silence.
        if (dry && card.wetChunks > 0) ++card.dryChunks;
        if (!dry) ++card.wetChunks;
        ++card.chunksTaken;
    }
    card.now = end;
}

}  // namespace fake

void WindowShowMessage(const char* caption, const char* text, MessageKind) {
    fake::window.messages.push_back(std::string(caption) + "|" + text);
}
bool WindowAsk(const char* caption, const char* text) {
    fake::window.messages.push_back(std::string(caption) + "|" + text);
    return fake::window.answer;
}
void WindowSetClientSize(int32_t width, int32_t height) {
    fake::window.width = width;
    fake::window.height = height;
}
Rect WindowPictureArea() {
    const bool fullScreen = !fake::display.modes.empty() && fake::display.modes.back() == 1;
    if (fullScreen) return {0, 0, fake::window.screenWidth, fake::window.screenHeight};
    return {0, 19, fake::window.width, 19 + fake::window.height};
}
void WindowSetTitle(const char* title) {
    fake::window.title = title;
}
void WindowShowNotice(const char* text) {
    fake::window.notices.push_back(text);
}
void WindowShowCursor(bool shown) {
    fake::window.cursorShown = shown;
}
void WindowPostCommand(uint32_t id) {
    fake::window.posted.push_back(id);
}
void WindowOpenFileDialog() {
    ++fake::window.dialogsOpened;
}

std::string WindowClipboardText() {
    return fake::window.clipboard;
}

void WindowOpenTapeDialog() {
    ++fake::window.dialogsOpened;
}
void WindowFinishFrame(bool) {
    ++fake::window.framesFinished;
}

int DisplaySetMode(int fullScreen) {
    fake::display.modes.push_back(fullScreen);
    return fake::display.setModeResult;
}
uint32_t DisplayRowStride() {
    return fake::display.rowStride;
}
void DisplaySelectPixelFormat(uint32_t rgbMode) {
    fake::display.rgbMode = rgbMode;
}
void DisplaySelectFilter(uint32_t filter) {
    fake::display.filter = filter;
}
void DisplayPresent(const uint16_t*, uint32_t, Rect dest) {
    const bool fullScreen = !fake::display.modes.empty() && fake::display.modes.back() == 1;
    ++(fullScreen ? fake::display.fullScreen : fake::display.windowed);
    fake::display.lastDest = dest;
}
void DisplayPresentBlank(uint16_t, Rect) {
    ++fake::display.blank;
}
void DisplayRelease() {}
void DisplayReportError(const char*, const char*) {}

bool AudioDeviceOpen(uint32_t, uint32_t& deviceSamples) {
    if (fake::card.insistsOnSamples != 0) deviceSamples = fake::card.insistsOnSamples;
    fake::card.deviceSamples = deviceSamples;
    return fake::card.present;
}
uint32_t AudioDevicePlayCursor(uint64_t& played) {
    const uint32_t code = fake::card.failCode;
    fake::card.failCode = 0;
    if (fake::card.rate > 0) {
        const auto samples =
            static_cast<uint64_t>(static_cast<double>(fake::card.now) * fake::card.rate / 1e9);
        played = samples * 2;
    } else {
        played = fake::card.laps * AudioBufferBytes + fake::card.cursor;
    }
    return code;
}
uint32_t AudioDeviceWrite(uint32_t offset, const uint8_t* bytes, uint32_t count) {
    ++fake::card.writes;
    if (bytes != nullptr) fake::card.lastWriteOffset = offset;
    for (uint32_t done = 0; done < count;) {
        const uint32_t at = (offset + done) % AudioBufferBytes;
        const uint32_t run = std::min(count - done, AudioBufferBytes - at);
        if (bytes != nullptr) {
            std::memcpy(fake::card.buffer + at, bytes + done, run);
        } else {
            std::memset(fake::card.buffer + at, 0, run);
        }
        done += run;
    }
    return 0;
}
void AudioDeviceWait(uint32_t milliseconds) {
    ++fake::card.waits;
    if (fake::card.rate > 0) {
        fake::AdvanceCard(uint64_t{milliseconds} * 1'000'000 + fake::card.oversleep);
        fake::card.oversleep = 0;
        return;
    }
    fake::card.cursor += fake::card.step;
    if (fake::card.cursor >= AudioBufferBytes) ++fake::card.laps;
    fake::card.cursor %= AudioBufferBytes;
}
const char* AudioDeviceErrorText() {
    return nullptr;
}
void AudioDeviceClose() {}

namespace {
fake::Controller* PlayersController(uint32_t player) {
    if (player == 0) return &fake::controller;
    return player == 1 ? &fake::controller2 : nullptr;
}
}  // namespace

bool JoystickDeviceOpen(uint32_t player) {
    const fake::Controller* controller = PlayersController(player);
    return controller != nullptr && controller->attached;
}
bool JoystickDeviceRead(uint32_t player, JoystickReading& reading) {
    const fake::Controller* controller = PlayersController(player);
    if (controller == nullptr || !controller->attached) return false;
    reading = controller->reading;
    return true;
}
void JoystickDeviceClose() {}

}  // namespace plexaro
