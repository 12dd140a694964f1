// Shell items dropped on the settings window's item list: through its registered drop
// target as a drag calls it, and with real DoDragDrop drops onto the shown window.
#include "app/haupt_win.h"
#include "config/model.h"
#include "driver.h"
#include "drop_support.h"
#include "fake_messages.h"
#include "form_driver.h"
#include "settings/konfig_win.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Expected {
    std::string pfad;
    bool isPidl;
    std::string iconPfad;
    int iconNum;
    std::string description;
    std::string parameters;
    int startmode;
};

void ExpectItem(const TOneItem& item, const Expected& e)
{
    EXPECT_EQ(item.Pfad, e.pfad) << e.description;
    EXPECT_EQ(item.IsPIDL, e.isPidl) << e.description;
    EXPECT_EQ(item.IconPfad, e.iconPfad) << e.description;
    EXPECT_EQ(item.IconNum, e.iconNum) << e.description;
    EXPECT_EQ(item.Description, e.description);
    EXPECT_EQ(item.Parameters, e.parameters) << e.description;
    EXPECT_EQ(item.Startmode, e.startmode) << e.description;
    EXPECT_EQ(item.AutoStartmode, 1);
    EXPECT_FALSE(item.Autostart);
    EXPECT_GE(item.ImageIndex, 0);
}

// The path an identifier-list item names: its bytes also carry the item's times.
std::string PathOf(const TOneItem& item)
{
    char path[MAX_PATH] = {};
    ShellIdList list = IdListFromBytes(item.Pfad);
    if (!item.IsPIDL || !list || !SHGetPathFromIDListA(list.get(), path)) return {};
    return path;
}

std::string Upper(std::string text)
{
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

class KonfigDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        ASSERT_TRUE(folder->Write("mgoldwk.ini", "[GLOBAL]\r\nMenuCount=1\r\n[M0]\r\nMenuName=Programs\r\nItemCount=0\r\n"));
        ASSERT_TRUE(CreateDirectoryA(folder->File("Tools").c_str(), nullptr));
        ASSERT_TRUE(folder->Write("Tools\\My Program.exe", "MZ"));
        ASSERT_TRUE(folder->Write("readme.TXT", "x"));
        ASSERT_TRUE(CreateDirectoryA(folder->File("Sub Folder").c_str(), nullptr));
        haupt = THaupt::Create({folder->Path()});
        ASSERT_TRUE(haupt);
        settings = TfrmKonfig::Create(haupt->Handle(), SettingsHost(*haupt));
        ASSERT_TRUE(settings);
        ShowWindow(settings->Handle(), SW_SHOW);
        settings->FormShow();
        FormDriver(*settings).SelectRow("LvMenus", 0);
        ASSERT_EQ(settings->CurrentMenu(), 0);
        ASSERT_TRUE(settings->Items().Drops().Target());
        settings->Items().Drops().Target()->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(sink.GetAddressOf()));
    }
    void TearDown() override
    {
        sink.Reset();
        settings.reset();
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
    }
    // Enter, move with Shift+Ctrl and drop, as the system calls the registered target.
    DWORD DragAndDrop(IDataObject* data)
    {
        RECT r{};
        GetWindowRect(settings->Control(KonfigControl::LvItems), &r);
        POINTL p{r.left + 20, r.top + 2};
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(sink->DragEnter(data, MK_LBUTTON, p, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
        for (DWORD keys : {MK_SHIFT, MK_CONTROL, MK_SHIFT | MK_CONTROL}) {
            effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
            sink->DragOver(keys | MK_LBUTTON, p, &effect);
            EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
            EXPECT_FALSE(settings->Items().Drops().Target()->AutoScrolling());
        }
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(sink->Drop(data, 0, p, &effect), S_OK);
        return effect;
    }
    const std::vector<std::unique_ptr<TOneItem>>& Items() const { return MenuList.at(0)->Items; }
    int Selected() const { return FormDriver(*settings).SelectedRow("LvItems"); }

    FakeMessages messages;
    std::optional<TempFolder> folder;
    std::unique_ptr<THaupt> haupt;
    std::unique_ptr<TfrmKonfig> settings;
    ComPtr<IDropTarget> sink;
};

TEST_F(KonfigDrop, PlainFilesKeepTheirPathInUpperCase)
{
    ComPtr<IDataObject> program = ShellDataObject(folder->File("Tools"), {"My Program.exe"});
    ComPtr<IDataObject> readme = ShellDataObject(folder->Path(), {"readme.TXT"});
    ASSERT_TRUE(program && readme);
    EXPECT_EQ(DragAndDrop(program.Get()), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(DragAndDrop(readme.Get()), static_cast<DWORD>(DROPEFFECT_LINK));
    ASSERT_EQ(Items().size(), 2u);
    std::string exe = Upper(folder->File("Tools\\My Program.exe"));
    ExpectItem(*Items()[0], {exe, false, exe, -99, "My program", "", 1});
    ExpectItem(*Items()[1], {Upper(folder->File("readme.TXT")), false, "", -99, "Readme", "", 1});
    EXPECT_EQ(Selected(), 1);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(KonfigDrop, ShortcutsBecomeEntriesForTheirTargets)
{
    std::string program = folder->File("Tools\\My Program.exe");
    ASSERT_TRUE(MakeLink(folder->File("Editor.lnk"), {program, nullptr, "-q", "", "", 0, SW_SHOWMAXIMIZED}));
    ASSERT_TRUE(MakeLink(folder->File("Pen.lnk"), {program, nullptr, "", "Draws", "C:\\pen.ico", 2}));
    ASSERT_TRUE(MakeLink(folder->File("Old.pif"), {folder->File("readme.TXT")}));
    ITEMIDLIST* drives = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    ShellIdList computer(drives);
    LinkShape toComputer;
    toComputer.targetList = computer.get();
    toComputer.arguments = "/x";
    ASSERT_TRUE(MakeLink(folder->File("Computer.lnk"), toComputer));
    ASSERT_TRUE(folder->Write("Broken.lnk", "no shortcut"));

    ComPtr<IDataObject> data =
        ShellDataObject(folder->Path(), {"Editor.lnk", "Pen.lnk", "Old.pif", "Computer.lnk", "Broken.lnk"});
    ASSERT_TRUE(data);
    EXPECT_EQ(DragAndDrop(data.Get()), static_cast<DWORD>(DROPEFFECT_LINK));
    ASSERT_EQ(Items().size(), 5u);
    // Wine's link object reports every show command as 1.
    int maximized = RunningUnderWine() ? 1 : SW_SHOWMAXIMIZED;
    ExpectItem(*Items()[0], {program, false, program, -99, "Editor", "-q", maximized});
    ExpectItem(*Items()[1], {program, false, "C:\\pen.ico", 2, "Draws", "", 1});
    ExpectItem(*Items()[2], {folder->File("readme.TXT"), false, "", -99, "Old", "", 1});
    ExpectItem(*Items()[3], {ListBytes(computer), true, "", -99, "Computer", "/x", 1});
    // Not readable as a shortcut: the shell item it is, named as the shell shows it.
    EXPECT_EQ(PathOf(*Items()[4]), folder->File("Broken.lnk"));
    EXPECT_EQ(Items()[4]->Description.find("Broken"), 0u) << Items()[4]->Description;
    EXPECT_EQ(Selected(), 4);
}

TEST_F(KonfigDrop, ADropWithoutItemsIsAnInternalError)
{
    DWORD effect = DROPEFFECT_LINK;
    settings->Items().Drops().MyDropTargetDrop(*settings->Items().Drops().Target(), 0, POINT{}, effect);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Internal Error while processing Drop-Event.");
    EXPECT_EQ(messages.Asked()[0].caption, "Marigoldwick");
    EXPECT_TRUE(Items().empty());
}

// Real drags: the cursor over the list, the system's drag loop, the system's drop.
TEST_F(KonfigDrop, RealDragsDropSeveralFilesAndAFolder)
{
    for (const char* name : {"a.txt", "b.txt", "c.exe"}) ASSERT_TRUE(folder->Write(name, "x"));
    RECT r{};
    GetWindowRect(settings->Control(KonfigControl::LvItems), &r);
    SetForegroundWindow(settings->Handle());
    auto drag = [&](IDataObject* data) {
        EXPECT_TRUE(SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        int polls = 0;
        ComPtr<IDropSource> source = CountingDropSource(4, &polls);
        DWORD effect = DROPEFFECT_NONE;
        EXPECT_EQ(DoDragDrop(data, source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect),
                  DRAGDROP_S_DROP);
        return effect;
    };
    ComPtr<IDataObject> files = ShellDataObject(folder->Path(), {"a.txt", "b.txt", "c.exe"});
    ASSERT_TRUE(files);
    EXPECT_EQ(drag(files.Get()), static_cast<DWORD>(DROPEFFECT_LINK));
    ASSERT_EQ(Items().size(), 3u);
    ExpectItem(*Items()[0], {Upper(folder->File("a.txt")), false, "", -99, "A", "", 1});
    ExpectItem(*Items()[1], {Upper(folder->File("b.txt")), false, "", -99, "B", "", 1});
    ExpectItem(*Items()[2], {Upper(folder->File("c.exe")), false, Upper(folder->File("c.exe")), -99, "C", "", 1});
    EXPECT_EQ(Selected(), 2);

    ComPtr<IDataObject> sub = ShellDataObject(folder->Path(), {"Sub Folder"});
    EXPECT_EQ(drag(sub.Get()), static_cast<DWORD>(DROPEFFECT_LINK));
    ASSERT_EQ(Items().size(), 4u);
    ExpectItem(*Items()[3], {Items()[3]->Pfad, true, "", -99, "Sub Folder", "", 1});
    EXPECT_EQ(PathOf(*Items()[3]), folder->File("Sub Folder"));
    EXPECT_EQ(Selected(), 3);
}

}  // namespace
