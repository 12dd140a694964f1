// Drops from another process, as from the file manager: drag_source makes real OLE drags
// onto the item list of the real program's settings window, found only from outside.
#include "app_test.h"
#include "config/config_file.h"
#include "shell/idlist_win.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Upper(std::string text)
{
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

class DropE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        comReady = true;
    }
    void TearDown() override
    {
        AppTest::TearDown();
        if (comReady) CoUninitialize();
    }

    // drag_source's result: DoDragDrop's answer and the effect, e.g. "00040100 4".
    std::string Drag(POINT at, const std::vector<std::string>& items)
    {
        std::string result = sandbox->Folder().File("drag.txt");
        DeleteFileA(result.c_str());
        std::string arguments = "\"" + result + "\" " + std::to_string(at.x) + " " + std::to_string(at.y);
        for (const std::string& item : items) arguments += " \"" + item + "\"";
        std::optional<DWORD> code = RunHelper("drag_source.exe", arguments);
        EXPECT_EQ(code, 0u) << arguments;
        std::string text = sandbox->Folder().Read("drag.txt").value_or("");
        return text.substr(0, text.find_first_of("\r\n"));
    }
    std::string Value(int item, const char* key) const
    {
        char value[4096] = {};
        GetPrivateProfileStringA(SectionName(0, item).c_str(), key, "", value, sizeof(value), sandbox->IniPath().c_str());
        return value;
    }
    // The entry's identifier list, from its text in the file.
    ShellIdList ListOf(int item) const
    {
        std::optional<std::string> bytes = IdListFromText(Value(item, "Pfad"));
        return bytes ? IdListFromBytes(*bytes) : nullptr;
    }

    bool comReady = false;
};

TEST_F(DropE2e, FilesAFolderAShortcutAndMyComputerDraggedFromAnotherProgramAreLinkedIn)
{
    const TempFolder& folder = sandbox->Folder();
    ASSERT_TRUE(CreateDirectoryA(folder.File("Drops").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folder.File("Drops\\Sub Folder").c_str(), nullptr));
    ASSERT_TRUE(folder.Write("Drops\\My Program.exe", "MZ"));
    ASSERT_TRUE(folder.Write("Drops\\readme.TXT", "x"));
    std::string program = folder.File("Drops\\My Program.exe");
    {
        ComPtr<IShellLinkA> link;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                               reinterpret_cast<void**>(link.GetAddressOf()))));
        link->SetPath(program.c_str());
        link->SetArguments("-q");
        ComPtr<IPersistFile> file;
        ASSERT_TRUE(SUCCEEDED(link.As(&file)));
        std::string path = folder.File("Drops\\Editor.lnk");
        std::wstring wide(path.begin(), path.end());
        ASSERT_TRUE(SUCCEEDED(file->Save(wide.c_str(), TRUE)));
    }
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Programs",
                "ItemCount=0"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND items = SettingsItemList(settings);
    HWND menus = FindWindowExA(settings, nullptr, "SysListView32", nullptr);
    ASSERT_TRUE(items && menus && items != menus);
    // A click on the first menu: the item list is usable once a menu is chosen.
    ASSERT_TRUE(Post(menus, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 8)) && Post(menus, WM_LBUTTONUP, 0, MAKELPARAM(12, 8)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(items) != FALSE; }));

    RECT r{};
    GetWindowRect(items, &r);
    POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    auto count = [&] { return SendMessageA(items, LVM_GETITEMCOUNT, 0, 0); };
    const std::string linked = "00040100 " + std::to_string(DROPEFFECT_LINK);  // DRAGDROP_S_DROP
    EXPECT_EQ(Drag(inside, {program, folder.File("Drops\\readme.TXT")}), linked);
    EXPECT_TRUE(WaitUntil([&] { return count() == 2; })) << count();
    EXPECT_EQ(Drag({r.left + 6, r.bottom - 6}, {folder.File("Drops\\Sub Folder"), folder.File("Drops\\Editor.lnk")}),
              linked);
    EXPECT_TRUE(WaitUntil([&] { return count() == 4; })) << count();
    EXPECT_EQ(Drag(inside, {"::drives"}), linked);
    EXPECT_TRUE(WaitUntil([&] { return count() == 5; })) << count();
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    ASSERT_EQ(Value(0, "ItemCount"), "5");
    // Plain files by their upper-cased path, named after the file.
    EXPECT_EQ(Value(1, "Pfad"), Upper(program));
    EXPECT_EQ(Value(1, "IconPfad"), Upper(program));
    EXPECT_EQ(Value(1, "Description"), "My program");
    EXPECT_EQ(Value(2, "Pfad"), Upper(folder.File("Drops\\readme.TXT")));
    EXPECT_EQ(Value(2, "IconPfad"), "");
    EXPECT_EQ(Value(2, "Description"), "Readme");
    for (int i : {1, 2, 4}) EXPECT_EQ(Value(i, "IsPIDL"), "0") << i;
    // The folder by its identifier list.
    EXPECT_EQ(Value(3, "IsPIDL"), "1");
    ShellIdList sub = ListOf(3);
    char path[MAX_PATH] = {};
    ASSERT_TRUE(sub && SHGetPathFromIDListA(sub.get(), path));
    EXPECT_EQ(std::string(path), folder.File("Drops\\Sub Folder"));
    EXPECT_EQ(Value(3, "Description"), "Sub Folder");
    // The shortcut by what it points at.
    EXPECT_EQ(Value(4, "Pfad"), program);
    EXPECT_EQ(Value(4, "Parameters"), "-q");
    EXPECT_EQ(Value(4, "Description"), "Editor");
    // My Computer: its list, named as the shell names it.
    EXPECT_EQ(Value(5, "IsPIDL"), "1");
    ITEMIDLIST* drives = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    ShellIdList computer(drives);
    ShellIdList dropped = ListOf(5);
    ASSERT_TRUE(dropped);
    EXPECT_EQ(IdListToBytes(dropped.get()), IdListToBytes(computer.get()));
    SHFILEINFOA info{};
    SHGetFileInfoA(reinterpret_cast<const char*>(computer.get()), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
    EXPECT_EQ(Value(5, "Description"), info.szDisplayName);
    EXPECT_FALSE(Value(5, "Description").empty());
}

}  // namespace
