// Shortcut files made by the shell's own link object, read back as stored.
#include "driver.h"
#include "drop_support.h"
#include "shell/shell_link_win.h"
#include "unicode_files.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class ShellLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        ASSERT_TRUE(folder->Write("tool.exe", "MZ"));
    }
    // COM stays initialised on the thread: every call balanced its own initialisation.
    static bool ComStillUp()
    {
        HRESULT hr = CoInitialize(nullptr);
        CoUninitialize();
        return hr == S_FALSE;
    }
    std::optional<TempFolder> folder;
};

TEST_F(ShellLink, ReadsEveryFieldOfAProgramShortcut)
{
    std::string lnk = folder->File("Tool.lnk");
    ASSERT_TRUE(MakeLink(lnk, {folder->File("tool.exe"), nullptr, "-q", "", "", 0, SW_SHOWMINNOACTIVE}));
    ShellLinkInfo info;
    ASSERT_TRUE(ResolveShellLink(lnk, info));
    EXPECT_EQ(info.Path, folder->File("tool.exe"));
    EXPECT_EQ(info.Arguments, "-q");
    EXPECT_EQ(info.Description, "");
    EXPECT_EQ(info.IconPath, "");
    EXPECT_EQ(info.IconIndex, -99);
    // The stored list names the target; its dates and attributes are the link's own.
    char target[MAX_PATH] = {};
    ASSERT_TRUE(info.IDList);
    EXPECT_TRUE(SHGetPathFromIDListA(info.IDList.get(), target));
    EXPECT_EQ(std::string(target), folder->File("tool.exe"));
    // The file holds the show command at 0x3C; Wine's link object always reports 1.
    std::string bytes = folder->Read("Tool.lnk").value_or("");
    ASSERT_GT(bytes.size(), 0x40u);
    EXPECT_EQ(bytes[0x3C], SW_SHOWMINNOACTIVE);
    EXPECT_EQ(info.ShowCmd, RunningUnderWine() ? 1 : SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(ComStillUp());

    std::string withIcon = folder->File("Icon.lnk");
    ASSERT_TRUE(MakeLink(withIcon, {folder->File("tool.exe"), nullptr, "", "Starts the tool", "C:\\icons.dll", 3}));
    ShellLinkInfo iconInfo;
    ASSERT_TRUE(ResolveShellLink(withIcon, iconInfo));
    EXPECT_EQ(iconInfo.IconPath, "C:\\icons.dll");
    EXPECT_EQ(iconInfo.IconIndex, 3);
    EXPECT_EQ(iconInfo.Description, "Starts the tool");
    EXPECT_EQ(iconInfo.Arguments, "");
}

TEST_F(ShellLink, ShellItemTargetsAndStalePathsAreReturnedAsStored)
{
    ITEMIDLIST* drives = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    ShellIdList computer(drives);
    std::string lnk = folder->File("Computer.lnk");
    LinkShape toComputer;
    toComputer.targetList = computer.get();
    ASSERT_TRUE(MakeLink(lnk, toComputer));
    ShellLinkInfo info;
    ASSERT_TRUE(ResolveShellLink(lnk, info));
    EXPECT_EQ(info.Path, "");
    EXPECT_EQ(IdListToBytes(info.IDList.get()), ListBytes(computer));

    // A moved target is not searched for.
    ASSERT_TRUE(folder->Write("gone.exe", "MZ"));
    ASSERT_TRUE(MakeLink(folder->File("Gone.lnk"), {folder->File("gone.exe")}));
    ASSERT_TRUE(DeleteFileA(folder->File("gone.exe").c_str()));
    ShellLinkInfo stale;
    ASSERT_TRUE(ResolveShellLink(folder->File("Gone.lnk"), stale));
    EXPECT_EQ(stale.Path, folder->File("gone.exe"));
}

TEST_F(ShellLink, UnicodeShortcutAndEveryUnicodeFieldAreReadExactly)
{
    const std::string sub = folder->File(GreekName);
    ASSERT_TRUE(CreateDirectoryW(Wide(sub).c_str(), nullptr));
    const std::string target = sub + "\\" + MixedName + ".exe";
    ASSERT_TRUE(WriteUnicodeFile(target, "MZ"));
    const std::string lnk = sub + "\\" + CjkName + " " + EmojiName + ".lnk";
    ASSERT_TRUE(MakeLink(lnk, {target, nullptr, std::string("-n ") + CyrillicName, EmojiName + std::string(" ") +
                               CombiningName, sub + "\\" + CjkName + ".dll", 2}));
    ShellLinkInfo info;
    ASSERT_TRUE(ResolveShellLink(lnk, info));
    EXPECT_EQ(info.Path, target);
    EXPECT_EQ(info.Arguments, std::string("-n ") + CyrillicName);
    EXPECT_EQ(info.Description, EmojiName + std::string(" ") + CombiningName);
    EXPECT_EQ(info.IconPath, sub + "\\" + CjkName + ".dll");
    EXPECT_EQ(info.IconIndex, 2);
    wchar_t fromList[MAX_PATH] = {};
    ASSERT_TRUE(info.IDList && SHGetPathFromIDListW(info.IDList.get(), fromList));
    EXPECT_EQ(Utf8(fromList), target);
}

TEST_F(ShellLink, FilesThatAreNoShortcutsFail)
{
    ShellLinkInfo info;
    ASSERT_TRUE(folder->Write("plain.lnk", "this is no shortcut"));
    EXPECT_FALSE(ResolveShellLink(folder->File("plain.lnk"), info));
    EXPECT_FALSE(ResolveShellLink(folder->File("missing.lnk"), info));
    EXPECT_FALSE(ResolveShellLink(folder->File(std::string(270, 'x') + ".lnk"), info));
    EXPECT_FALSE(info.IDList);
    EXPECT_TRUE(ComStillUp());
}

}  // namespace
