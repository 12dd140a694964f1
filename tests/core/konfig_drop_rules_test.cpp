#include "settings/konfig_drop_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string AsciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return text;
}

TEST(KonfigDropRules, PlainFilesAreNamedFromTheirPath)
{
    struct Case {
        const char* path;
        const char* iconPfad;
        const char* description;
    };
    for (const Case& t : {Case{"C:\\TOOLS\\MY PROGRAM.EXE", "C:\\TOOLS\\MY PROGRAM.EXE", "My program"},
                          Case{"C:\\DOCS\\README.TXT", "", "Readme"},
                          Case{"C:\\DOCS\\ARCHIVE.TAR.GZ", "", "Archive.tar"},
                          Case{"C:\\DOCS\\.PROFILE", "", ""},
                          Case{"C:\\DOCS\\1ST NOTE", "", "1st note"},
                          Case{"C:\\V1.0\\SETUP", "", "Setup"}}) {
        PlainFileNames names = NamePlainFile(t.path, AsciiLower);
        EXPECT_EQ(names.pfad, t.path);
        EXPECT_EQ(names.iconPfad, t.iconPfad) << t.path;
        EXPECT_EQ(names.description, t.description) << t.path;
    }
}

TEST(KonfigDropRules, ShortcutsAreRecognisedByExtension)
{
    EXPECT_TRUE(IsShortcutFile("C:\\DESKTOP\\EDITOR.LNK"));
    EXPECT_TRUE(IsShortcutFile("C:\\DOS\\GAME.PIF"));
    EXPECT_FALSE(IsShortcutFile("C:\\DOCS\\LNK"));
    EXPECT_FALSE(IsShortcutFile("C:\\A.LNK\\FILE.TXT"));
    EXPECT_FALSE(IsShortcutFile("C:\\DOCS\\X.LNKX"));
}

TEST(KonfigDropRules, ShortcutIconAndDescription)
{
    EXPECT_EQ(ShortcutIconPfad("C:\\Icons\\pen.ico", "C:\\Win\\notepad.exe"), "C:\\Icons\\pen.ico");
    EXPECT_EQ(ShortcutIconPfad("", "C:\\Win\\notepad.exe"), "C:\\Win\\notepad.exe");
    EXPECT_EQ(ShortcutIconPfad("", "C:\\Win\\NOTEPAD.Exe"), "C:\\Win\\NOTEPAD.Exe");
    EXPECT_EQ(ShortcutIconPfad("", "C:\\Docs\\readme.txt"), "");
    EXPECT_EQ(ShortcutIconPfad("", ""), "");

    EXPECT_EQ(ShortcutDescription("Writes notes", "Editor"), "Writes notes");
    EXPECT_EQ(ShortcutDescription("", "Editor"), "Editor");
    EXPECT_EQ(ShortcutDescription("", "C:\\Links\\Editor.lnk"), "Editor");
    // The first occurrence of the extension's text goes, wherever it is.
    EXPECT_EQ(ShortcutDescription("", "a.lnk.b.lnk"), "a.b.lnk");
    EXPECT_TRUE(IsBlankText(" \t "));
    EXPECT_FALSE(IsBlankText(" x "));
}

}  // namespace
