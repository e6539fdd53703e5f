// The CPU window's steps by C line and out of functions, and its steps back in time, as shell
// commands. Going back keeps the debugger's own ring of states; rewind's, which knows nothing
// of the way back, is emptied so that it never brings back the future.
#include <string>

#include "host/debug/timetravel.h"
#include "host/shell/notices.h"
#include "host/shell/rewind.h"
#include "host/shell/shell.h"
#include "machine/debugger.h"

namespace plexaro {
namespace {

void Travelled(TravelResult result, const char* oldest) {
    if (result == TravelNoHistory) {
        ShellNotice("nothing kept to go back to: open the CPU window before the moment");
        return;
    }
    RewindClear();
    if (result == TravelOldest) ShellNotice(oldest);
}

}  // namespace

bool ShellStepCommand(uint32_t id, void (*ran)(DebugResult result)) {
    switch (id) {
        case CommandDebugStepLine: ran(SteppingStart(StepInto, StepByLine)); break;
        case CommandDebugStepOverLine: ran(SteppingStart(StepOver, StepByLine)); break;
        case CommandDebugStepOut: ran(SteppingStart(StepOut, StepByLine)); break;
        case CommandDebugStepBack:
            Travelled(TimeTravelStepBack(StepByInstruction), "at the oldest moment kept");
            break;
        case CommandDebugStepBackLine:
            Travelled(TimeTravelStepBack(StepByLine), "no line before: at the oldest moment kept");
            break;
        case CommandDebugReverseContinue:
            Travelled(TimeTravelReverseContinue(nullptr),
                      "no hit before: at the oldest moment kept");
            break;
        default: return false;
    }
    return true;
}

}  // namespace plexaro
