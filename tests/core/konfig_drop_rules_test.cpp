#include "settings/konfig_drop_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

std::string AsciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return text;
}

// The system's upper case of single characters: a to z, Cyrillic ze, Greek alpha, Deseret
// long i (beyond the basic plane); anything else, a letter with its accent too, unchanged.
std::string FirstUpper(std::string c)
{
    if (c.size() == 1 && c[0] >= 'a' && c[0] <= 'z') return std::string(1, static_cast<char>(c[0] - 32));
    for (auto [small, capital] : {std::pair{"з", "З"}, {"α", "Α"}, {"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"}})
        if (c == small) return capital;
    return c;
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
                          Case{"C:\\V1.0\\SETUP", "", "Setup"},
                          Case{"C:\\TEST\\запуск.EXE", "C:\\TEST\\запуск.EXE", "Запуск"},
                          Case{"C:\\DOCS\\α\xCC\x81α.TXT", "", "Α\xCC\x81α"},  // the accent stays
                          Case{"C:\\DOCS\\\xF0\x90\x90\xA8" "A.TXT", "", "\xF0\x90\x90\x80" "a"}}) {
        PlainFileNames names = NamePlainFile(t.path, AsciiLower, FirstUpper);
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
