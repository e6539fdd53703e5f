// What the player is told without a box to dismiss: the title bar naming the running game, a
// short notice over the picture (and after the game's name in the title for a few seconds),
// the small mark of a speed other than play's, and the words of a load or a slot that went
// wrong. Messages name a file by its name, never its whole path.
//
//     ShellTitleFollowGame();              // after any restart: "Plexaro - mygame"
//     ShellNotice("state 2 saved");        // "Plexaro - mygame - state 2 saved", and on the
//     picture once a second: ShellTitleTick();     // the title back to the game's name after a
//     notice
#pragma once

#include <cstdint>
#include <string>

namespace plexaro {

// "mygame.sg" for "/home/you/games/mygame.sg".
std::string FileNameOf(const std::string& path);
// "Plexaro - mygame" for a cartridge at path (its name without the extension), "Plexaro"
// for none.
std::string GameTitle(const std::string& cartridgePath);
// Named as a cartridge image: .sg, .sc or .bin, in any case.
bool HasCartridgeName(const std::string& path);

// Over the picture for two seconds (in full screen too), and in the title for three.
void ShellNotice(const std::string& text);
void ShellTitleFollowGame();  // the running game changed (or may have): the title says so
void ShellTitleTick();

// What a load ended with: empty when all went well, else the file's name and the words of
// the error or of the warning (a file over 1 MB, cut).
std::string LoadMessage(const std::string& path, const char* error);
// Whether a slot's problem is only that nothing was saved there: said as a notice.
bool SlotIsEmpty(const std::string& problem);
// A problem's text with the states folder left out of any path in it.
std::string WithoutStatesFolder(const std::string& problem);

// Machine > Pause's check mark as it was when a slot's file was saved in this run: saving
// (saved true) keeps `checked` and returns it; loading returns what was kept, or 0 for a file
// saved before this run (the console's own state does not record it).
int SlotPauseMark(const std::string& slotFile, bool saved, int checked);

// A dropped file replaces the running game only if it is named as a cartridge or the player
// says so when asked.
void ShellFileDropped(const std::string& path);

// The mark over the picture's corner while play runs at another speed or stands still.
enum SpeedMark : uint32_t { MarkNone, MarkFastForward, MarkSlowMotion, MarkRewind, MarkPaused };
SpeedMark ShellSpeedMark();

}  // namespace plexaro
