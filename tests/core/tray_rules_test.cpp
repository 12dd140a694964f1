// What a click on an icon does, hotkey values as RegisterHotKey takes them, and the
// icon tip.
#include "app/tray_rules.h"
#include "win/tray_tip.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

namespace {

constexpr TrayClickAction None = TrayClickAction::None;
constexpr TrayClickAction Popup = TrayClickAction::Popup;
constexpr TrayClickAction Start = TrayClickAction::StartFirstEntry;

TEST(TrayClicks, MenuIconFollowsSingleLeftClickAndTheLeftClickBehaviour)
{
    struct Row {
        unsigned mouse;
        bool single;
        TrayClickAction lcb1, lcb2, lcb3;
    };
    const Row table[] = {
        {MouseLeftUp, true, None, Popup, Start},
        {MouseLeftDoubleClick, true, None, None, None},
        {MouseRightUp, true, Popup, Popup, Popup},
        {MouseLeftUp, false, None, None, None},
        {MouseLeftDoubleClick, false, None, Popup, Start},
        {MouseRightUp, false, Popup, Popup, Popup},
    };
    for (const Row& r : table) {
        SCOPED_TRACE(testing::Message() << "mouse " << r.mouse << ", single " << r.single);
        EXPECT_EQ(ClickActionFor(r.mouse, r.single, 1, false), r.lcb1);
        EXPECT_EQ(ClickActionFor(r.mouse, r.single, 2, false), r.lcb2);
        EXPECT_EQ(ClickActionFor(r.mouse, r.single, 3, false), r.lcb3);
    }
    // An unknown behaviour is no behaviour; moves and other buttons do nothing.
    EXPECT_EQ(ClickActionFor(MouseLeftUp, true, 0, false), None);
    EXPECT_EQ(ClickActionFor(MouseLeftUp, true, 4, false), None);
    EXPECT_EQ(ClickActionFor(0x0200, true, 2, false), None);
    EXPECT_EQ(ClickActionFor(0x0201, true, 2, false), None);
    EXPECT_EQ(ClickActionFor(0x0204, false, 3, false), None);
}

TEST(TrayClicks, ToolsIconPopsUpOnTheRightButtonAndASingleLeftClickOnly)
{
    for (int lcb : {1, 2, 3}) {
        EXPECT_EQ(ClickActionFor(MouseRightUp, true, lcb, true), Popup);
        EXPECT_EQ(ClickActionFor(MouseRightUp, false, lcb, true), Popup);
        EXPECT_EQ(ClickActionFor(MouseLeftUp, true, lcb, true), Popup);
        EXPECT_EQ(ClickActionFor(MouseLeftUp, false, lcb, true), None);
        EXPECT_EQ(ClickActionFor(MouseLeftDoubleClick, true, lcb, true), None);
        EXPECT_EQ(ClickActionFor(MouseLeftDoubleClick, false, lcb, true), None) << "never starts an entry";
    }
}

TEST(TrayKeys, KeyboardEventsPopUpAndTheShellsEchoesOfClicksDoNothing)
{
    // A menu icon with left-click behaviour 1, without and with the tools icon, and the tools icon.
    const TrayIconState icons[] = {{true, 1, false, false}, {true, 1, false, true}, {true, 0, true, true}};
    constexpr TrayClickAction Tools = TrayClickAction::ToolsPopup;
    const std::tuple<unsigned, unsigned, std::array<TrayClickAction, 3>> table[] = {
        {IconKeySelect, IconKeySelect, {Popup, Popup, Popup}}, {IconSelect, IconContextMenu, {Popup, Popup, Popup}},
        {IconSelect, MouseLeftUp, {None, None, None}},         {IconSelect, 0x0201, {None, None, None}},
        {IconContextMenu, 0, {Popup, Tools, Popup}},           {IconContextMenu, MouseRightUp, {None, None, None}},
        {MouseLeftUp, 0x0201, {None, None, Popup}},
    };
    for (const auto& [event, previous, actions] : table)
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(IconEventActionFor(event, previous, icons[i]), actions[i]) << event << " after " << previous;
    EXPECT_EQ(OwnIconActionFor(IconSelect, MouseLeftUp), OwnIconAction::None) << "the release showed it already";
    EXPECT_EQ(OwnIconActionFor(IconContextMenu, 0), OwnIconAction::Popup);
}

TEST(HotkeyValue, ModifierBitsBecomeRegisterHotKeyFlags)
{
    EXPECT_EQ(HotkeyRegistrationFor(0x4000 | 'A'), (HotkeyRegistration{HotkeyModControl, 'A'}));
    EXPECT_EQ(HotkeyRegistrationFor(0x2000 | 0x70), (HotkeyRegistration{HotkeyModShift, 0x70}));
    EXPECT_EQ(HotkeyRegistrationFor(0x8000 | 0x24), (HotkeyRegistration{HotkeyModAlt, 0x24}));
    EXPECT_EQ(HotkeyRegistrationFor(0xE000 | 'Z'),
              (HotkeyRegistration{HotkeyModAlt | HotkeyModControl | HotkeyModShift, 'Z'}));
    EXPECT_EQ(HotkeyRegistrationFor(0x7B), (HotkeyRegistration{0, 0x7B}));
}

TEST(TrayTip, ShortNamesStayLongOnesAreCutWithinTheField)
{
    EXPECT_EQ(TipText(""), "");
    EXPECT_EQ(TipText("Programs"), "Programs");
    std::string fits(63, 'x');
    EXPECT_EQ(TipText(fits), fits);

    std::string longer = std::string(60, 'a') + "bcdefgh";
    std::string tip = TipText(longer);
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(tip, std::string(60, 'a') + "...");
    EXPECT_EQ(TipText(std::string(5000, 'n')).size(), 63u);
}

TEST(TrayTip, CountsUtf16UnitsAndNeverSplitsACharacter)
{
    const std::string cyrillic = "\xD0\x9F";         // П: two bytes, one unit
    const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600: four bytes, a surrogate pair
    std::string fits;
    for (int i = 0; i < 63; ++i) fits += cyrillic;
    EXPECT_EQ(TipText(fits), fits) << "63 units fit although 126 bytes";
    EXPECT_EQ(TipText(fits + cyrillic), fits.substr(0, 60 * 2) + "...");

    // 59 units, then a pair that would need units 60 and 61: it goes whole.
    std::string beforePair(59, 'a');
    EXPECT_EQ(TipText(beforePair + emoji + std::string(10, 'b')), beforePair + "...");
    std::string pairs;
    for (int i = 0; i < 31; ++i) pairs += emoji;
    EXPECT_EQ(TipText(pairs + "x"), pairs + "x") << "62 + 1 units";
    EXPECT_EQ(TipText(pairs + emoji), pairs.substr(0, 30 * 4) + "...");
}

}  // namespace
