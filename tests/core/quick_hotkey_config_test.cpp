// The quick-launch hotkey in the configuration file: absent until set, so a file of
// today saves unchanged, then written and read back.
#include "config/config_file.h"
#include "config/model.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string Today =
    "[GLOBAL]\r\nIconSize=16\r\nSelfAutostart=0\r\nSingleLeftClick=1\r\nMenuBreakIfPossible=1\r\n"
    "AskBeforeQuit=0\r\nUseToolsMenu=0\r\nToolsMenuCfg=16777215\r\nMenuCount=0\r\n";

std::string SavedOver(const std::string& bytes, uint16_t hotkey)
{
    ProfileFile file(bytes);
    TKonfig konfig;
    TMenuList menus;
    EXPECT_TRUE(ReadConfig(file, konfig, menus, nullptr));
    konfig.QuickLaunchHotkey = hotkey;
    WriteConfig(file, konfig, menus);
    return file.Bytes();
}

uint16_t HotkeyIn(const std::string& bytes)
{
    TKonfig konfig;
    TMenuList menus;
    EXPECT_TRUE(ReadConfig(ProfileFile(bytes), konfig, menus, nullptr));
    return konfig.QuickLaunchHotkey;
}

TEST(QuickLaunchHotkeyKey, AbsentUntilSetThenWrittenReadAndKeptWhenCleared)
{
    EXPECT_EQ(HotkeyIn(Today), 0);
    EXPECT_EQ(SavedOver(Today, 0), Today) << "a file of today saves byte for byte";
    EXPECT_EQ(SavedOver("", 0).find("QuickLaunchHotkey"), std::string::npos);

    // Stored as the menus' hotkeys are: key code, 16384 Ctrl, 32768 Alt.
    const uint16_t ctrlAltQ = 'Q' + 16384 + 32768;
    const std::string set = SavedOver(Today, ctrlAltQ);
    EXPECT_NE(set.find("QuickLaunchHotkey=49233\r\n"), std::string::npos) << set;
    EXPECT_EQ(HotkeyIn(set), ctrlAltQ);
    // Once in the file, a cleared hotkey is written as none rather than left standing.
    const std::string cleared = SavedOver(set, 0);
    EXPECT_NE(cleared.find("QuickLaunchHotkey=0\r\n"), std::string::npos) << cleared;
    EXPECT_EQ(HotkeyIn(cleared), 0);
}

}  // namespace
