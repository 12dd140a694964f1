// How a drop target answers a drag: the effect from the keys held and the effects it
// allows, the scroll request near the edges, and the auto-scroll step. The values are
// the system's DROPEFFECT_* and MK_* numbers.
#pragma once

#include <cstdint>
#include <functional>

inline constexpr uint32_t DropEffectNone = 0;
inline constexpr uint32_t DropEffectCopy = 1;
inline constexpr uint32_t DropEffectMove = 2;
inline constexpr uint32_t DropEffectLink = 4;
inline constexpr uint32_t DropEffectScroll = 0x80000000u;

enum TDragType : uint8_t { dtCopy = 1, dtMove = 2, dtLink = 4 };
using TDragTypes = uint8_t;  // a set of TDragType

enum TShiftFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = uint8_t;  // a set of TShiftFlag

enum ScrollBar : uint8_t { sbHorizontal = 1, sbVertical = 2 };
using ScrollBarSet = uint8_t;

// The system's key flags of a drag (MK_SHIFT, MK_CONTROL and the buttons); Alt has no
// flag there and is passed in as read from the keyboard.
TShiftState ShiftStateFromKeys(uint32_t keyState, bool altDown);

struct DropEffectContext {
    TDragTypes dragtypes = 0;
    TShiftState shift = 0;
    int x = 0, y = 0;                       // client coordinates of the control
    int clientWidth = 0, clientHeight = 0;
    int scrollMargin = 0;
    ScrollBarSet scrollBars = 0;
};
// The owner's own choice: gets the allowed effects, leaves its answer in `effect`.
using DropEffectOverride = std::function<void(uint32_t& effect)>;

// The source's offered effects reduced to the allowed ones, then either the override's
// answer (no scroll request then) or the first match of: Shift+Ctrl link, Shift alone
// move, copy, move, link, none; plus DropEffectScroll near an edge of a scrolling control.
uint32_t ChooseDropEffect(const DropEffectContext& context, uint32_t offered, const DropEffectOverride& override);

// One auto-scroll tick near the edges: -1 line up/left, +1 line down/right, 0 none.
struct ScrollStep {
    int vertical = 0;
    int horizontal = 0;
};
ScrollStep AutoScrollStep(int x, int y, int clientWidth, int clientHeight, int scrollMargin);
