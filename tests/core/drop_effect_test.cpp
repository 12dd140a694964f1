#include "dragdrop/drop_effect.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr uint32_t None = DropEffectNone, Copy = DropEffectCopy, Move = DropEffectMove, Link = DropEffectLink;

// The effect for each allowed set (copy 1, move 2, link 4 combined) under each key
// combination: none, Shift, Ctrl, Shift+Ctrl.
constexpr std::array<std::array<uint32_t, 4>, 8> Expected{{
    {None, None, None, None},  // nothing allowed
    {Copy, Copy, Copy, Copy},  // copy
    {Move, Move, Move, Move},  // move
    {Copy, Move, Copy, Copy},  // copy, move
    {Link, Link, Link, Link},  // link
    {Copy, Copy, Copy, Link},  // copy, link
    {Move, Move, Move, Link},  // move, link
    {Copy, Move, Copy, Link},  // all three
}};
constexpr std::array<TShiftState, 4> Keys{0, ssShift, ssCtrl, ssShift | ssCtrl};

TEST(DropEffect, EveryKeyCombinationAgainstEveryAllowedSet)
{
    for (TDragTypes dragtypes = 0; dragtypes < 8; ++dragtypes)
        for (uint32_t offered = 0; offered < 8; ++offered)
            for (size_t k = 0; k < Keys.size(); ++k)
                for (TShiftState extra : {TShiftState{0}, TShiftState{ssAlt}, TShiftState(ssLeft | ssRight)}) {
                    DropEffectContext c;
                    c.dragtypes = dragtypes;
                    c.shift = Keys[k] | extra;
                    EXPECT_EQ(ChooseDropEffect(c, offered, nullptr), Expected[dragtypes & offered][k])
                        << "dragtypes " << int(dragtypes) << " offered " << offered << " keys " << int(c.shift);
                }
}

TEST(DropEffect, OverrideGetsTheAllowedEffectsAndHasTheLastWord)
{
    DropEffectContext c;
    c.dragtypes = dtCopy | dtMove;
    c.scrollBars = sbVertical | sbHorizontal;
    c.clientWidth = c.clientHeight = 100;
    c.scrollMargin = 13;  // the point at 0,0 lies in both edge bands
    uint32_t seen = 0xFF;
    auto link = [&seen](uint32_t& effect) {
        seen = effect;
        effect = Link;
    };
    // Linked although link is not allowed, and never a scroll request.
    EXPECT_EQ(ChooseDropEffect(c, Copy | Move | Link, link), Link);
    EXPECT_EQ(seen, Copy | Move);
    EXPECT_EQ(ChooseDropEffect(c, Link, link), Link);
    EXPECT_EQ(seen, None);
}

TEST(DropEffect, ScrollRequestNearTheEdgesOfAScrollingControl)
{
    DropEffectContext c;
    c.dragtypes = dtCopy;
    c.clientWidth = 200;
    c.clientHeight = 100;
    c.scrollMargin = 13;
    struct Case {
        ScrollBarSet bars;
        int x, y;
        bool scroll;
    };
    for (const Case& t : {Case{0, 0, 0, false}, Case{sbVertical, 50, 12, true}, Case{sbVertical, 50, 13, false},
                          Case{sbVertical, 50, 87, false}, Case{sbVertical, 50, 88, true},
                          Case{sbVertical, 5, 50, false}, Case{sbHorizontal, 5, 50, true},
                          Case{sbHorizontal, 188, 50, true}, Case{sbHorizontal, 187, 50, false}, Case{sbHorizontal, 100, 5, false},
                          Case{sbHorizontal | sbVertical, 100, 5, true}}) {
        c.scrollBars = t.bars;
        c.x = t.x;
        c.y = t.y;
        EXPECT_EQ(ChooseDropEffect(c, Copy, nullptr), t.scroll ? (Copy | DropEffectScroll) : Copy)
            << int(t.bars) << " at " << t.x << "," << t.y;
    }
    // Refusing the data does not stop the control scrolling.
    c.scrollBars = sbVertical;
    c.y = 0;
    EXPECT_EQ(ChooseDropEffect(c, Link, nullptr), DropEffectScroll);
}

TEST(DropEffect, KeysAndScrollSteps)
{
    EXPECT_EQ(ShiftStateFromKeys(0x04 | 0x08, false), ssShift | ssCtrl);
    EXPECT_EQ(ShiftStateFromKeys(0x01 | 0x02 | 0x10, true), ssLeft | ssRight | ssMiddle | ssAlt);
    EXPECT_EQ(ShiftStateFromKeys(0x20, false), 0);  // MK_ALT is not how Alt is read

    ScrollStep up = AutoScrollStep(50, 2, 200, 100, 13);
    EXPECT_EQ(up.vertical, -1);
    EXPECT_EQ(up.horizontal, 0);
    ScrollStep corner = AutoScrollStep(199, 99, 200, 100, 13);  // both axes in one tick
    EXPECT_EQ(corner.vertical, 1);
    EXPECT_EQ(corner.horizontal, 1);
    ScrollStep middle = AutoScrollStep(100, 50, 200, 100, 13);
    EXPECT_EQ(middle.vertical, 0);
    EXPECT_EQ(middle.horizontal, 0);
}

}  // namespace
