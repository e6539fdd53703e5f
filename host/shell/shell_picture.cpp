// The Video menu's picture choices: the aspect (with "Strech", the first version's item, as
// the stretch aspect), the scaling and the filter, and where they put the picture now.
#include "host/shell/display.h"
#include "host/shell/picture.h"
#include "host/shell/shell.h"
#include "host/shell/window.h"

namespace plexaro {
namespace {

struct PictureChoices {
    PictureLook look;
    uint32_t shapedAspect;  // the aspect "Strech" goes back to when it is unchecked
};

PictureChoices choices = {{}, AspectSquare};

// A window that hugs the picture at its checked size takes the new shape's size; one the
// player sized or maximised keeps its size, and the picture fits it anew.
void SetAspect(uint32_t aspect) {
    const ShellState& shell = Shell();
    const PictureSize before = PictureAtScale(shell.sizeChecked, choices.look.aspect);
    const PictureSize after = PictureAtScale(shell.sizeChecked, aspect);
    const Rect area = WindowPictureArea();
    const bool hugging = PictureSize{area.right - area.left, area.bottom - area.top} == before;
    choices.look.aspect = aspect;
    if (aspect != AspectStretch) choices.shapedAspect = aspect;
    if (shell.FullScreenMode == 0 && hugging && !(before == after)) {
        WindowPostCommand(CommandSize1 + shell.sizeChecked - 1);
    }
}

}  // namespace

const PictureLook& ShellPictureLook() {
    return choices.look;
}

void ShellPictureStart(const PictureLook& saved) {
    choices.look = {saved.aspect < AspectCount ? saved.aspect : AspectSquare,
                    saved.scaling < ScalingCount ? saved.scaling : ScalingFit,
                    saved.filter < FilterCount ? saved.filter : FilterSharp};
    choices.shapedAspect =
        choices.look.aspect == AspectStretch ? AspectSquare : choices.look.aspect;
    DisplaySelectFilter(choices.look.filter);
}

bool ShellPictureCommand(uint32_t id) {
    if (id == CommandStrech) {
        SetAspect(choices.look.aspect == AspectStretch ? choices.shapedAspect : AspectStretch);
    } else if (id >= CommandAspectConsole && id < CommandAspectConsole + uint32_t{AspectCount}) {
        SetAspect(id - CommandAspectConsole);
    } else if (id >= CommandScalingFit && id < CommandScalingFit + uint32_t{ScalingCount}) {
        choices.look.scaling = id - CommandScalingFit;
    } else if (id >= CommandFilterSharp && id < CommandFilterSharp + uint32_t{FilterCount}) {
        choices.look.filter = id - CommandFilterSharp;
        DisplaySelectFilter(choices.look.filter);
    } else {
        return false;
    }
    return true;
}

Rect ShellPictureRect() {
    return PictureRect(WindowPictureArea(), choices.look);
}

}  // namespace plexaro
