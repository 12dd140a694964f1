#include "dragdrop/drop_effect.h"

namespace {

constexpr uint32_t MkLButton = 0x01, MkRButton = 0x02, MkShift = 0x04, MkControl = 0x08, MkMButton = 0x10;

bool NearEdge(int value, int extent, int margin) { return value < margin || value > extent - margin; }

}  // namespace

TShiftState ShiftStateFromKeys(uint32_t keyState, bool altDown)
{
    TShiftState shift = 0;
    if (keyState & MkShift) shift |= ssShift;
    if (keyState & MkControl) shift |= ssCtrl;
    if (keyState & MkLButton) shift |= ssLeft;
    if (keyState & MkRButton) shift |= ssRight;
    if (keyState & MkMButton) shift |= ssMiddle;
    if (altDown) shift |= ssAlt;
    return shift;
}

uint32_t ChooseDropEffect(const DropEffectContext& c, uint32_t offered, const DropEffectOverride& override)
{
    uint32_t allowed = offered;
    if (!(c.dragtypes & dtCopy)) allowed &= ~DropEffectCopy;
    if (!(c.dragtypes & dtMove)) allowed &= ~DropEffectMove;
    if (!(c.dragtypes & dtLink)) allowed &= ~DropEffectLink;
    if (override) {
        uint32_t effect = allowed;
        override(effect);
        return effect;
    }

    bool shift = c.shift & ssShift, ctrl = c.shift & ssCtrl;
    uint32_t effect = DropEffectNone;
    if (shift && ctrl && (allowed & DropEffectLink)) effect = DropEffectLink;
    else if (shift && !ctrl && (allowed & DropEffectMove)) effect = DropEffectMove;
    else if (allowed & DropEffectCopy) effect = DropEffectCopy;
    else if (allowed & DropEffectMove) effect = DropEffectMove;
    else if (allowed & DropEffectLink) effect = DropEffectLink;

    if ((c.scrollBars & sbHorizontal) && NearEdge(c.x, c.clientWidth, c.scrollMargin)) return effect | DropEffectScroll;
    if ((c.scrollBars & sbVertical) && NearEdge(c.y, c.clientHeight, c.scrollMargin)) return effect | DropEffectScroll;
    return effect;
}

ScrollStep AutoScrollStep(int x, int y, int clientWidth, int clientHeight, int scrollMargin)
{
    ScrollStep step;
    if (y < scrollMargin) step.vertical = -1;
    else if (y > clientHeight - scrollMargin) step.vertical = 1;
    if (x < scrollMargin) step.horizontal = -1;
    else if (x > clientWidth - scrollMargin) step.horizontal = 1;
    return step;
}
