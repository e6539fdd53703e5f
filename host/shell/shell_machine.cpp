// The desktop's choices of what the machine is at its next power-on: the cartridge's board.
#include <string>

#include "host/shell/notices.h"
#include "host/shell/shell.h"
#include "machine/board.h"

namespace plexaro {

bool ShellMachineCommand(uint32_t id) {
    if (id < CommandBoardAuto || id >= CommandBoardAuto + BoardKindCount) return false;
    // From the next reset or load.
    SelectBoard(id - CommandBoardAuto);
    ShellNotice(std::string("board ") + BoardName(id - CommandBoardAuto) + " from the next reset");
    return true;
}

}  // namespace plexaro
