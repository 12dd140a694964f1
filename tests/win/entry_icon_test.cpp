// Entry icons taken from real files: programs, icon files, documents and identifier lists.
#include "menu_pictures.h"
#include "menus/entry_icon_win.h"
#include "shell/idlist_win.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace menu_pictures;

class EntryIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        placeholder = MakeIcon(RGB(10, 20, 30), 32);
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        std::optional<std::string> program = CopyProgram(*folder, "TOOL.EXE");
        ASSERT_TRUE(program) << BinFolder();
        upper = *program;
        lower = folder->Path();
        CharLowerA(lower.data());
        lower += "tool.exe";
        ASSERT_TRUE(folder->Write("notes.txt", "some notes"));
        first = IconPixels(UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), upper.c_str(), 0)).get());
        second = IconPixels(UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), upper.c_str(), 1)).get());
        ASSERT_NE(first, second);
    }
    void TearDown() override { CoUninitialize(); }

    std::vector<COLORREF> Get(std::string_view path, bool isPidl, int32_t num, const std::string& iconPath = {})
    {
        UniqueIcon icon = GetEntryIcon(path, isPidl, num, iconPath, placeholder.get());
        EXPECT_TRUE(icon);
        if (!icon) return {};
        EXPECT_NE(icon.get(), placeholder.get());  // always the caller's own handle
        return IconPixels(icon.get());
    }
    std::vector<COLORREF> Placeholder() { return IconPixels(placeholder.get()); }

    UniqueIcon placeholder;
    std::optional<TempFolder> folder;
    std::string upper, lower;
    std::vector<COLORREF> first, second;
};

TEST_F(EntryIconTest, ProgramTakesItsFirstIconInAnyLetterCase)
{
    EXPECT_EQ(Get(upper, false, -99), first);
    EXPECT_EQ(Get(lower, false, -99), first);
}

TEST_F(EntryIconTest, IconNumberPicksFromTheIconFile)
{
    EXPECT_EQ(Get(upper, false, 1, upper), second);
    EXPECT_EQ(Get("C:\\whatever.txt", false, 0, lower), first);
}

TEST_F(EntryIconTest, DocumentTakesTheShellsIcon)
{
    std::string notes = folder->File("notes.txt");
    SHFILEINFOA info{};
    ASSERT_NE(SHGetFileInfoA(notes.c_str(), 0, &info, sizeof(info), SHGFI_ICON), 0u);
    UniqueIcon shell(info.hIcon);
    std::vector<COLORREF> got = Get(notes, false, -99);
    EXPECT_EQ(got, IconPixels(shell.get()));
    EXPECT_NE(got, Placeholder());
}

TEST_F(EntryIconTest, FolderTakesTheShellsFolderIconWhateverItsName)
{
    for (const char* name : {"Docs", "Build.exe"}) {
        std::string path = folder->File(name);
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        SHFILEINFOA info{};
        ASSERT_NE(SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON), 0u);
        UniqueIcon shell(info.hIcon);
        std::vector<COLORREF> got = Get(path, false, -99);
        EXPECT_EQ(got, IconPixels(shell.get())) << name;
        EXPECT_NE(got, Placeholder()) << name;
        EXPECT_NE(got, Get(folder->File("notes.txt"), false, -99)) << "a folder looks like no document";
    }
}

TEST_F(EntryIconTest, WhatHasNoIconGetsThePlaceholder)
{
    EXPECT_EQ(Get("", false, -99), Placeholder());
    EXPECT_EQ(Get(folder->File("missing.exe"), false, -99), Placeholder());      // ExtractIconA: 0
    EXPECT_EQ(Get(folder->File("missing.txt"), false, -99), Placeholder());      // no such file
    EXPECT_EQ(Get(upper, false, 50, upper), Placeholder());                      // no icon 50
    EXPECT_EQ(Get(upper, false, 0, folder->File("notes.txt")), Placeholder());   // ExtractIconA: 1
    EXPECT_EQ(Get(upper, false, 0, ""), Placeholder());
}

TEST_F(EntryIconTest, IdentifierListTakesTheShellsIcon)
{
    ComPtr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
    std::wstring wide(upper.begin(), upper.end());
    ITEMIDLIST* parsed = nullptr;
    ASSERT_TRUE(SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr)));
    ShellIdList list(parsed);
    std::string bytes = IdListToBytes(list.get());
    UniqueIcon shell = GetIdListIcon(list.get(), true, false);
    ASSERT_TRUE(shell);

    EXPECT_EQ(Get(bytes, true, -99), IconPixels(shell.get()));
    EXPECT_EQ(Get(bytes, true, 1, upper), second);
    // Bytes that are no complete list never reach the shell.
    EXPECT_EQ(Get(bytes.substr(0, bytes.size() - 1), true, -99), Placeholder());
    EXPECT_EQ(Get("", true, -99), Placeholder());
}

}  // namespace
