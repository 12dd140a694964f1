// The tools menu's display modes and screen saver rules: records handed to the system,
// command lines and the texts of refusals.
#include "tools/display_modes.h"
#include "tools/screensaver_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ToolsDisplayModes, EachEntryFillsOnlyTheDimensionItChanges)
{
    constexpr uint32_t Resolution = 0x80000 | 0x100000;
    constexpr uint32_t Depth = 0x40000;
    struct Expected {
        std::string caption;
        DisplayModeRecord record;
    };
    const Expected expected[] = {
        {"&1 Switch to 640x480", {156, Resolution, 0, 640, 480}},
        {"&2 Switch to 800x600", {156, Resolution, 0, 800, 600}},
        {"&3 Switch to 1024x768", {156, Resolution, 0, 1024, 768}},
        {"&4 Switch to 1280x1024", {156, Resolution, 0, 1280, 1024}},
        {"&5 Switch to 8 bit", {156, Depth, 8, 0, 0}},
        {"&6 Switch to 16 bit", {156, Depth, 16, 0, 0}},
        {"&7 Switch to 24 bit", {156, Depth, 24, 0, 0}},
        {"&8 Switch to 32 bit", {156, Depth, 32, 0, 0}},
    };
    ASSERT_EQ(std::size(expected), DisplayModeTable.size());
    for (size_t i = 0; i < DisplayModeTable.size(); ++i) {
        const DisplayModeEntry& entry = DisplayModeTable[i];
        EXPECT_EQ(entry.caption, expected[i].caption);
        EXPECT_EQ(MakeDisplayModeRecord(entry.bitsPerPel, entry.width, entry.height), expected[i].record)
            << entry.caption;
    }
}

TEST(ToolsDisplayModes, HalfAResolutionIsLeftOutAndBothDimensionsCanChangeTogether)
{
    EXPECT_EQ(MakeDisplayModeRecord(0, 800, 0), DisplayModeRecord{});
    EXPECT_EQ(MakeDisplayModeRecord(-8, -1, 600), DisplayModeRecord{});
    EXPECT_EQ(MakeDisplayModeRecord(16, 800, 600), (DisplayModeRecord{156, 0x1C0000, 16, 800, 600}));
}

TEST(ToolsDisplayModes, ResultTextsAndConfigureCaption)
{
    EXPECT_EQ(DisplayChangeResultText(0), "");
    EXPECT_EQ(DisplayChangeResultText(1), "The computer must be restarted in order for the graphics mode to work.");
    EXPECT_EQ(DisplayChangeResultText(-1), "The display driver failed the specified graphics mode.");
    EXPECT_EQ(DisplayChangeResultText(-2), "The graphics mode is not supported.");
    EXPECT_EQ(DisplayChangeResultText(-3), "Unable to write settings to the registry.");
    EXPECT_EQ(DisplayChangeResultText(-4), "An invalid set of flags was passed in.");
    EXPECT_EQ(DisplayChangeResultText(-5), "Unknown error.");
    EXPECT_EQ(DisplayChangeResultText(2), "Unknown error.");
    EXPECT_EQ(ConfigureCaption(800, 600, 32), "&Configure (800x600 32 bit)");
    EXPECT_EQ(ConfigureCaption(1024, 768, 16), "&Configure (1024x768 16 bit)");
}

TEST(ToolsScreensaver, DirectoryPrefixEndsInExactlyOneBackslash)
{
    EXPECT_EQ(DirectoryPrefix("C:\\WINDOWS"), "C:\\WINDOWS\\");
    EXPECT_EQ(DirectoryPrefix("C:\\"), "C:\\");
    EXPECT_EQ(SystemIniPath(DirectoryPrefix("C:\\WINDOWS")), "C:\\WINDOWS\\system.ini");
    EXPECT_EQ(ProfileNotFoundText("C:\\WINDOWS\\system.ini"), "C:\\WINDOWS\\system.ini not found.");
}

TEST(ToolsScreensaver, ABareNameComesFromTheWindowsDirectoryAndAPathIsKeptUnquoted)
{
    EXPECT_EQ(ScreensaverConfigureCommand("ssstars.scr", "C:\\WINDOWS\\"), "C:\\WINDOWS\\ssstars.scr /c");
    EXPECT_EQ(ScreensaverConfigureCommand("D:\\Savers\\x.scr", "C:\\WINDOWS\\"), "D:\\Savers\\x.scr /c");
    EXPECT_EQ(ScreensaverConfigureCommand("D:x.scr", "C:\\WINDOWS\\"), "D:x.scr /c");
    EXPECT_EQ(ScreensaverConfigureCommand("C:\\Program Files\\My Saver.scr", "C:\\"),
              "C:\\Program Files\\My Saver.scr /c");
    EXPECT_EQ(ScreensaverConfigureCommand("", "C:\\WINDOWS\\"), std::nullopt);
}

TEST(ToolsScreensaver, WinExecResultsBelow32HaveTheirTexts)
{
    EXPECT_EQ(WinExecErrorText(0), "The system is out of memory or resources.");
    EXPECT_EQ(WinExecErrorText(2), "The specified file was not found.");
    EXPECT_EQ(WinExecErrorText(3), "The specified path was not found.");
    EXPECT_EQ(WinExecErrorText(11), "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).");
    EXPECT_EQ(WinExecErrorText(5), "Error executing screensaver.");
    EXPECT_EQ(WinExecErrorText(31), "Error executing screensaver.");
    EXPECT_EQ(WinExecErrorText(32), "");
    EXPECT_EQ(WinExecErrorText(4000), "");
}

}  // namespace
