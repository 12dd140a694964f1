// The settings window in-process: the real main window and settings window with their
// dialogs, driven with messages as a user would, the message seam answered by a script.
#include "about/about_win.h"
#include "app/haupt_win.h"
#include "config/model.h"
#include "controls6.h"
#include "driver.h"
#include "fake_messages.h"
#include "form_driver.h"
#include "menu_pictures.h"
#include "menus/menu_images_win.h"
#include "settings/editmenu_win.h"
#include "settings/konfig_win.h"
#include "settings/quick_folder_rules.h"
#include "menus/type_ahead.h"
#include "settings/options_win.h"
#include "while_shown.h"
#include "win/text_conversion.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::string Program = BesideTestProgram("mgoldwk.exe");
constexpr uint16_t HotkeyCtrlK = 16384 | 'K';

struct ItemLine {
    std::string description;
    std::string pfad;
    int iconNum = -99;
    int startmode = 1;
};
struct MenuLines {
    std::string name;
    int lcb = 2;
    std::vector<ItemLine> items;
};

std::string Ini(const std::vector<MenuLines>& menus)
{
    std::string text = "[GLOBAL]\r\nSelfAutostart=0\r\nAskBeforeQuit=0\r\nMenuCount=" + std::to_string(menus.size()) +
                       "\r\n";
    for (size_t m = 0; m < menus.size(); ++m) {
        std::string section = "M" + std::to_string(m);
        text += "[" + section + "]\r\nMenuName=" + menus[m].name + "\r\nLCB=" + std::to_string(menus[m].lcb) +
                "\r\nIconPfad=" + Program + "\r\nIconNum=0\r\nItemCount=" + std::to_string(menus[m].items.size()) +
                "\r\n";
        for (size_t i = 0; i < menus[m].items.size(); ++i) {
            const ItemLine& item = menus[m].items[i];
            text += "[" + section + "I" + std::to_string(i + 1) + "]\r\nPfad=" + item.pfad +
                    "\r\nDescription=" + item.description + "\r\nIconNum=" + std::to_string(item.iconNum) +
                    "\r\nIconPfad=" + (item.iconNum == -99 ? std::string() : Program) +
                    "\r\nStartmode=" + std::to_string(item.startmode) + "\r\nAutoStartmode=1\r\n";
        }
    }
    return text;
}

// Items showing distinct pictures of the program file.
std::vector<ItemLine> IconItems(std::initializer_list<const char*> names)
{
    std::vector<ItemLine> items;
    int icon = 1;
    for (const char* name : names) items.push_back({name, Program, icon++});
    return items;
}

// The pixels of one picture, to tell pictures apart.
std::string Fingerprint(HIMAGELIST list, int index)
{
    UniqueIcon icon(ImageList_GetIcon(list, index, ILD_NORMAL));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon.get(), &info)) return {};
    UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    std::string bits(32 * 32 * 4, '\0');
    bits.resize(static_cast<size_t>(GetBitmapBits(static_cast<HBITMAP>(colour.get()), static_cast<LONG>(bits.size()),
                                                  bits.data())));
    return bits;
}

class KonfigTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        settings.reset();
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
    }

    void Open(const std::vector<MenuLines>& menus)
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        ASSERT_TRUE(folder->Write("mgoldwk.ini", Ini(menus)));
        haupt = THaupt::Create({folder->Path()});
        ASSERT_TRUE(haupt);
        settings = TfrmKonfig::Create(haupt->Handle(), SettingsHost(*haupt));
        ASSERT_TRUE(settings);
        settings->System().ShellOpen = [this](HWND, const std::string& file, int show) {
            opened.push_back({file, show});
            return shellResult;
        };
        ShowWindow(settings->Handle(), SW_SHOW);
        ui.emplace(*settings);
    }

    TOneMenu& Menu(int index) const { return *MenuList[static_cast<size_t>(index)]; }
    HIMAGELIST Pictures(int menu) const { return ImageListOf(Menu(menu))->Handle(SettingsPictureSize); }
    // Lets the main window place pictures until every entry's is final (or `done` holds).
    static bool Settled(const std::function<bool()>& done = [] { return PendingEntryPictures(MenuList) == 0; })
    {
        return WaitUntil([&] {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            return done();
        }, 10000, 1);
    }
    std::string PictureOf(int menu, const TOneItem& item) const
    {
        EXPECT_TRUE(Settled());
        return Fingerprint(Pictures(menu), ImageListOf(Menu(menu))->PictureIndex(item.ImageIndex, SettingsPictureSize));
    }
    std::vector<std::string> Descriptions(int menu) const
    {
        std::vector<std::string> names;
        for (const auto& item : Menu(menu).Items) names.push_back(item->Description);
        return names;
    }
    // Each item's own picture, by description.
    std::map<std::string, std::string> PicturesByItem(int menu) const
    {
        std::map<std::string, std::string> pictures;
        for (const auto& item : Menu(menu).Items)
            if (!item->IsSeparator()) pictures[item->Description] = PictureOf(menu, *item);
        return pictures;
    }
    // The path's browse button, answering its popup with a key (a mnemonic, or Esc).
    void BrowsePfad(WPARAM key)
    {
        WhileShown([&] {
            if (key == VK_ESCAPE) PostMessageA(settings->Handle(), WM_KEYDOWN, key, 0);
            else PostMessageA(settings->Handle(), WM_CHAR, key, 0);
        });
        ui->Click("BtnBrowsePfad");
    }
    // Runs the menu properties dialog opened by `button`: `fill` acts on it, then OK.
    void WithMenuDialog(const char* button, std::function<void(TfrmEditMenu&)> fill)
    {
        TfrmEditMenu& dialog = settings->EditMenuDialog();
        bool shown = false;
        WhileShown([&] {
            shown = dialog.IsShown();
            fill(dialog);
            FormDriver(dialog).Click("BtnOK");
        });
        ui->Click(button);
        EXPECT_TRUE(shown) << button << " opened no dialog";
    }

    FakeMessages messages;
    std::optional<TempFolder> folder;
    std::unique_ptr<THaupt> haupt;
    std::unique_ptr<TfrmKonfig> settings;
    std::optional<FormDriver> ui;
    std::vector<std::pair<std::string, int>> opened;
    INT_PTR shellResult = 42;
};

// ---- the window and its menus ----

using KonfigMenus = KonfigTest;

TEST_F(KonfigMenus, OpensWithTheMenusListedAndTheOneUsedLastSelected)
{
    Open({{"Programs"}, {"Games"}});
    EXPECT_EQ(ui->ClientSize().cx, 518);
    EXPECT_EQ(ui->ClientSize().cy, 487);
    RECT place = ui->Place("EdPfad");
    EXPECT_EQ(place.left, 7 + 184 + 72);
    EXPECT_EQ(place.top, 128 + 32 + 8);

    ASSERT_EQ(ui->Rows("LvMenus"), 2);
    EXPECT_EQ(ui->Cell("LvMenus", 1), "Games");
    EXPECT_EQ(settings->CurrentMenu(), 0) << "none used yet: the first";
    EXPECT_EQ(settings->Text(KonfigControl::LblCurrentMenu), "-( Programs )-");
    ui->SelectRow("LvMenus", -1);
    EXPECT_EQ(settings->Text(KonfigControl::LblCurrentMenu), "- no menu selected -");
    EXPECT_FALSE(ui->Usable("LvItems"));
    EXPECT_FALSE(ui->Usable("EdPfad")) << "controls inside the panel follow the disabled group";
    EXPECT_TRUE(ui->Usable("BtnAddMenu"));

    ui->SelectRow("LvMenus", 1);
    EXPECT_EQ(settings->CurrentMenu(), 1);
    EXPECT_EQ(settings->Text(KonfigControl::LblCurrentMenu), "-( Games )-");
    EXPECT_TRUE(ui->Usable("EdPfad"));
    EXPECT_EQ(settings->Text(KonfigControl::LblItemIndex), "-/0");

    // Showing again goes on with the menu it was left with.
    ShowWindow(settings->Handle(), SW_HIDE);
    ShowWindow(settings->Handle(), SW_SHOW);
    EXPECT_EQ(settings->CurrentMenu(), 1);
    EXPECT_EQ(ui->SelectedRow("LvMenus"), 1);
    EXPECT_TRUE(ui->Usable("EdPfad"));
}

TEST_F(KonfigMenus, AddPresetsTheDialogKeepsTheLeftClickChoiceAndStopsAtFifty)
{
    std::vector<MenuLines> menus;
    for (int i = 0; i < 48; ++i) menus.push_back({"Menu " + std::to_string(i)});
    Open(menus);

    WithMenuDialog("BtnAddMenu", [&](TfrmEditMenu& dialog) {
        EXPECT_EQ(ControlText(dialog.Handle()), "New menu");
        EXPECT_EQ(dialog.MenuName(), "New Menu");
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        EXPECT_EQ(dialog.IconPfad(), self) << "the program's own file";
        EXPECT_EQ(dialog.MenuHotKey(), 0);
        dialog.SetMenuName("Forty-nine");
        dialog.SetLCBIndex(0);  // "Do nothing"
    });
    ASSERT_EQ(MenuList.size(), 49u);
    EXPECT_EQ(Menu(48).MenuName, "Forty-nine");
    EXPECT_EQ(Menu(48).LCB, 1);
    EXPECT_EQ(settings->CurrentMenu(), 48) << "the new menu is selected at once";
    EXPECT_EQ(settings->Text(KonfigControl::LblCurrentMenu), "-( Forty-nine )-");
    EXPECT_TRUE(ui->Usable("LvItems"));

    WithMenuDialog("BtnAddMenu", [&](TfrmEditMenu& dialog) {
        EXPECT_EQ(dialog.LCBIndex(), 0) << "the left-click choice is carried over";
        dialog.SetMenuHotKey(HotkeyCtrlK);
    });
    ASSERT_EQ(MenuList.size(), 50u);
    EXPECT_EQ(Menu(49).LCB, 1);
    EXPECT_EQ(Menu(49).Hotkey, HotkeyCtrlK);

    bool opened = false;
    WhileShown([&] { opened = settings->EditMenuDialog().IsShown(); });
    ui->Click("BtnAddMenu");
    EXPECT_FALSE(opened);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "The total number of menus is limited to 50.");
    EXPECT_EQ(messages.Asked()[0].kind, MessageKind::Information);
    EXPECT_EQ(MenuList.size(), 50u);
}

TEST_F(KonfigMenus, ModifyWritesBackAndALeftClickOutOfRangeStoresZero)
{
    Open({{"Programs", 7}, {"Games"}});
    ui->SelectRow("LvMenus", -1);
    ui->Click("BtnModifyMenu");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "No menu selected.");

    ui->SelectRow("LvMenus", 0);
    WithMenuDialog("BtnModifyMenu", [&](TfrmEditMenu& dialog) {
        EXPECT_EQ(ControlText(dialog.Handle()), "Modify menu");
        EXPECT_EQ(dialog.MenuName(), "Programs");
        EXPECT_EQ(dialog.LCBIndex(), -1);
        dialog.SetMenuName("Tools and programs, a name far too long for the label above the list");
    });
    EXPECT_EQ(Menu(0).LCB, 0);
    EXPECT_EQ(ui->Cell("LvMenus", 0), Menu(0).MenuName);
    EXPECT_EQ(settings->CurrentMenu(), 0) << "the menu stays selected";
    std::string label = settings->Text(KonfigControl::LblCurrentMenu);
    EXPECT_EQ(label.substr(0, 3), "-( ");
    EXPECT_EQ(label.substr(label.size() - 3), "...");
}

TEST_F(KonfigMenus, RemoveAsksOnlyForMenusWithItemsAndSelectsTheNeighbour)
{
    Open({{"Full", 2, {{"Editor", "C:\\windows\\notepad.exe"}}}, {"Empty"}, {"Last"}});
    ui->SelectRow("LvMenus", 2);
    ui->Click("BtnRemoveMenu");
    EXPECT_TRUE(messages.Asked().empty()) << "an empty menu goes without a question";
    ASSERT_EQ(MenuList.size(), 2u);
    EXPECT_EQ(ui->SelectedRow("LvMenus"), 1) << "the new last menu is selected";

    ui->SelectRow("LvMenus", 0);
    messages.Answer(IDNO);
    ui->Click("BtnRemoveMenu");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "There are items in this menu. Do you really want to remove it ?");
    EXPECT_EQ(messages.Asked()[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.Asked()[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(MenuList.size(), 2u);

    messages.Answer(IDYES);
    ui->Click("BtnRemoveMenu");
    ASSERT_EQ(MenuList.size(), 1u);
    EXPECT_EQ(Menu(0).MenuName, "Empty");
    ui->Click("BtnRemoveMenu");
    EXPECT_TRUE(MenuList.empty());
    EXPECT_EQ(settings->CurrentMenu(), -1);
    EXPECT_FALSE(ui->Usable("LvItems"));
}

TEST_F(KonfigMenus, ClearEmptiesTheMenuAfterAskingAndMovesSwapWholeMenus)
{
    Open({{"A", 2, IconItems({"One", "Two"})}, {"B", 2, IconItems({"Three"})}, {"C"}});
    ui->SelectRow("LvMenus", 0);
    ui->Click("BtnMoveUpMenu");
    ui->SelectRow("LvMenus", 2);
    ui->Click("BtnMoveDnMenu");
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_EQ(Menu(0).MenuName, "A");
    EXPECT_EQ(Menu(2).MenuName, "C");

    ui->SelectRow("LvMenus", 0);
    std::map<std::string, std::string> before = PicturesByItem(0);
    ui->Click("BtnMoveDnMenu");
    EXPECT_EQ(Menu(1).MenuName, "A");
    EXPECT_EQ(Menu(0).MenuName, "B");
    EXPECT_EQ(ui->SelectedRow("LvMenus"), 1);
    EXPECT_EQ(PicturesByItem(1), before) << "items and pictures travel with their menu";
    EXPECT_EQ(ui->Cell("LvMenus", 0), "B");

    messages.Answer(IDCANCEL);
    ui->Click("BtnClearMenu");
    EXPECT_EQ(Menu(1).Items.size(), 2u);
    messages.Answer(IDYES);
    ui->Click("BtnClearMenu");
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Do you really want to remove all items from the current menu ?");
    EXPECT_TRUE(Menu(1).Items.empty());
    EXPECT_EQ(ImageListOf(Menu(1))->Count(), 0);
    EXPECT_EQ(ui->Rows("LvItems"), 0);
    EXPECT_EQ(MenuList.size(), 3u) << "clearing keeps the menu";
}

TEST_F(KonfigMenus, OkNeedsAMenuAndReportsAFailedSave)
{
    Open({});
    bool stillOpen = false;
    WhileShown([&] {
        stillOpen = settings->IsShown();
        ui->QueueClose();
    });
    ui->QueueClick("BtnOK");
    EXPECT_EQ(settings->ShowModal(haupt->Handle()), ModalResult::Cancel) << "the close box closes an empty list";
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "You need to create at least one menu.");
    EXPECT_EQ(messages.Asked()[0].caption, "Marigoldwick");
    EXPECT_EQ(MessageBoxType(messages.Asked()[0]) & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));

    // A file that cannot be replaced: the edits stay in memory and the window closes.
    NewMenu(MenuList).MenuName = "Saved";
    ASSERT_TRUE(SetFileAttributesA(IniFile.c_str(), FILE_ATTRIBUTE_READONLY));
    ui->QueueClick("BtnOK");
    EXPECT_EQ(settings->ShowModal(haupt->Handle()), ModalResult::Ok);
    SetFileAttributesA(IniFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Error saving configuration data.");
    EXPECT_EQ(MessageBoxType(messages.Asked()[1]) & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(MenuList.size(), 1u);
}

TEST_F(KonfigMenus, HelpOpensTheHelpFileFromTheButtonAndF1WithAnyModifier)
{
    Open({{"Programs"}});
    ui->Click("BtnHelp");
    settings->FormKeyUp(VK_F1);
    settings->FormKeyUp('A');
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].first, HelpFile);
    EXPECT_EQ(opened[0].second, SW_SHOWDEFAULT);
    EXPECT_TRUE(messages.Asked().empty());

    // F1 in a control of the modal window reaches the window first.
    WhileShown([&] {
        ui->QueueKeyUp("EdParams", VK_F1);
        ui->QueueClose();
    });
    ShowWindow(settings->Handle(), SW_HIDE);
    settings->ShowModal(haupt->Handle());
    EXPECT_EQ(opened.size(), 3u);

    shellResult = 2;  // ERROR_FILE_NOT_FOUND
    ui->Click("BtnHelp");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Unable to open " + HelpFile);
    EXPECT_EQ(messages.Asked()[0].kind, MessageKind::Error);
}

TEST_F(KonfigMenus, OptionsAndAboutOpenAsModalDialogs)
{
    Open({{"Programs"}});
    const std::pair<const char*, Form*> runs[] = {{"BtnOptions", &settings->OptionsDialog()},
                                                  {"BtnAbout", settings->AboutDialog()}};
    for (const auto& run : runs) {
        ASSERT_NE(run.second, nullptr);
        bool shown = false, ownerDisabled = false;
        WhileShown([&] {
            shown = run.second->IsShown();
            ownerDisabled = !IsWindowEnabled(settings->Handle());
            FormDriver(*run.second).QueueClose();
        });
        ui->Click(run.first);
        EXPECT_TRUE(shown) << run.first;
        EXPECT_TRUE(ownerDisabled) << run.first;
        EXPECT_FALSE(run.second->IsShown());
    }
}

// ---- the window's size and its pictures ----

using KonfigWindow = KonfigTest;

std::vector<MenuLines> ManyMenus(int menus, int items)
{
    std::vector<MenuLines> all(static_cast<size_t>(menus));
    for (int m = 0; m < menus; ++m) all[static_cast<size_t>(m)].name = "Menu " + std::to_string(m);
    for (int i = 0; i < items; ++i) all[0].items.push_back({"Entry " + std::to_string(i), "C:\\windows\\notepad.exe"});
    return all;
}

// Entries wholly in view (icon views count all their entries as one page).
int PerPage(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    int shown = 0, count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        item.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        RECT common{};
        shown += IntersectRect(&common, &item, &client) && EqualRect(&common, &item);
    }
    return shown;
}

TEST_F(KonfigWindow, GrowsAndMaximisesWithTheListsTakingTheRoomAndTheEditPanelItsShape)
{
    Open(ManyMenus(30, 40));
    ui->SelectRow("LvMenus", 0);
    auto style = GetWindowLongPtrA(settings->Handle(), GWL_STYLE);
    EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_MAXIMIZEBOX));
    EXPECT_EQ(OverlappingChildren(settings->Handle()), (std::vector<std::pair<int, int>>{}));
    RECT items = ui->Place("LvItems"), menus = ui->Place("LvMenus"), edit = ui->Place("EdPfad");
    int itemsShown = PerPage(ui->Control("LvItems")), menusShown = PerPage(ui->Control("LvMenus"));
    RECT window{}, dropped{};
    GetWindowRect(settings->Handle(), &window);
    SendMessageA(ui->Control("ComboStartMode"), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));

    SetWindowPos(settings->Handle(), nullptr, 0, 0, window.right - window.left + 200, window.bottom - window.top + 160,
                 SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(ui->ClientSize().cx, 518 + 200);
    RECT grownItems = ui->Place("LvItems"), grownMenus = ui->Place("LvMenus"), grownEdit = ui->Place("EdPfad");
    EXPECT_EQ(grownItems.right - grownItems.left, items.right - items.left + 200);
    EXPECT_EQ(grownMenus.right - grownMenus.left, menus.right - menus.left + 200);
    EXPECT_EQ(grownMenus.bottom - menus.bottom, 40) << "a quarter of the height";
    EXPECT_EQ(grownItems.bottom - items.bottom, 160);
    EXPECT_EQ(grownEdit.left - edit.left, 200);
    EXPECT_EQ(grownEdit.top - edit.top, 40);
    EXPECT_EQ(grownEdit.right - grownEdit.left, edit.right - edit.left);
    RECT droppedNow{};
    SendMessageA(ui->Control("ComboStartMode"), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&droppedNow));
    EXPECT_EQ(droppedNow.bottom - droppedNow.top, dropped.bottom - dropped.top) << "the list still opens";
    EXPECT_EQ(ui->Place("BtnQuit").right, 518 + 200 - 6);
    EXPECT_EQ(ui->Place("BtnOK").bottom, 487 + 160 - 6);
    EXPECT_GT(PerPage(ui->Control("LvItems")), 2 * itemsShown);
    EXPECT_GT(PerPage(ui->Control("LvMenus")), menusShown);
    EXPECT_EQ(OverlappingChildren(settings->Handle()), (std::vector<std::pair<int, int>>{}));

    ShowWindow(settings->Handle(), SW_MAXIMIZE);
    EXPECT_GT(ui->Place("LvItems").bottom, grownItems.bottom);
    EXPECT_EQ(OverlappingChildren(settings->Handle()), (std::vector<std::pair<int, int>>{}));
    ShowWindow(settings->Handle(), SW_RESTORE);
    EXPECT_EQ(ui->ClientSize().cx, 518 + 200);
    EXPECT_EQ(ui->ClientSize().cy, 487 + 160);
    EXPECT_EQ(ui->Place("LvItems").bottom, grownItems.bottom);

    // Hidden and shown again, it keeps its place and size for the run.
    GetWindowRect(settings->Handle(), &window);
    ShowWindow(settings->Handle(), SW_HIDE);
    ShowWindow(settings->Handle(), SW_SHOW);
    RECT again{};
    GetWindowRect(settings->Handle(), &again);
    EXPECT_TRUE(EqualRect(&window, &again));

    // It shrinks back, but not below the size it was made for.
    MINMAXINFO limits{};
    SendMessageA(settings->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    SetWindowPos(settings->Handle(), nullptr, 0, 0, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(ui->ClientSize().cx == 518 && ui->ClientSize().cy == 487);
    RECT itemsBack = ui->Place("LvItems"), editBack = ui->Place("EdPfad");
    EXPECT_TRUE(EqualRect(&items, &itemsBack) && EqualRect(&edit, &editBack));
}

// At its table's size, and at 150 %, the window shows two rows of six of 30 menus and two
// rows of items wholly with a third nearly, not one row of three menus and two items and a half.
TEST_F(KonfigWindow, AtItsDesignedSizeTheListsShowTwiceAsManyMenusAndItems)
{
    Open(ManyMenus(30, 40));
    ui->SelectRow("LvMenus", 0);
    const UINT first = settings->Dpi();
    for (UINT dpi : {first, 144u, first}) {
        RECT suggested{0, 0, 1000, 900};
        if (dpi != settings->Dpi())
            SendMessageA(settings->Handle(), WmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_GE(PerPage(ui->Control("LvMenus")), 12) << dpi;
        EXPECT_GE(PerPage(ui->Control("LvItems")), 4) << dpi;
        EXPECT_EQ(OverlappingChildren(settings->Handle()), (std::vector<std::pair<int, int>>{})) << dpi;
    }
}

// The buttons' pictures come from the strip drawn for the window's scale: 16, 24 or 32
// pixels at 100, 150 and 200 %, again after each move to a screen of another scale.
TEST_F(KonfigWindow, ButtonAndListPicturesAreMadeForTheWindowsDpi)
{
    Controls6 controls6;
    ASSERT_TRUE(controls6.Active());
    Open({{"Programs", 2, IconItems({"One"})}});
    auto glyphSide = [&](const char* button) {
        BUTTON_IMAGELIST shown{};
        int cx = 0, cy = 0;
        if (SendMessageA(ui->Control(button), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&shown)) && shown.himl)
            ImageList_GetIconSize(shown.himl, &cx, &cy);
        return cx == cy ? cx : -1;
    };
    auto listSide = [&](const char* list, int kind) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(ListView_GetImageList(ui->Control(list), kind), &cx, &cy);
        return cx == cy ? cx : -1;
    };
    auto iconSide = [](LRESULT icon) {
        ICONINFO info{};
        if (!icon || !GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return -1;
        UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap{};
        return GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap) ? static_cast<int>(bitmap.bmWidth) : -1;
    };
    HMODULE program = LoadLibraryExA(Program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    ScopeGuard release([program] { FreeLibrary(program); });
    settings->System().PictureModule = program;
    const UINT first = settings->Dpi();
    struct Sizes {
        UINT dpi;
        int strip, items, small, preview;
    };
    for (Sizes at : {Sizes{144, 24, 48, 24, 72}, Sizes{192, 32, 64, 32, 96}, Sizes{96, 16, 32, 16, 48},
                     Sizes{first, -1, 0, 0, 0}}) {
        RECT suggested{0, 0, 1200, 1000};
        LPARAM place = reinterpret_cast<LPARAM>(&suggested);
        SendMessageA(settings->Handle(), WmDpiChanged, MAKEWPARAM(at.dpi, at.dpi), place);
        if (at.strip < 0) break;
        for (const char* button : {"BtnOK", "BtnAddMenu", "BtnMoveDnItem", "BtnAddSep", "BtnQuit"})
            EXPECT_EQ(glyphSide(button), at.strip) << button << " at " << at.dpi;
        EXPECT_EQ(listSide("LvItems", LVSIL_NORMAL), at.items) << at.dpi;
        EXPECT_EQ(listSide("LvMenus", LVSIL_SMALL), at.small) << at.dpi;
        // The folder glyph and the preview come from the picture worker.
        auto glyph = [&] { return iconSide(SendMessageA(ui->Control("BtnBrowsePfad"), BM_GETIMAGE, IMAGE_ICON, 0)); };
        auto preview = [&] { return iconSide(reinterpret_cast<LRESULT>(settings->Items().Mask().PreviewIcon())); };
        EXPECT_TRUE(Settled([&] { return glyph() == at.small && preview() == at.preview; }))
            << at.dpi << ": glyph " << glyph() << ", preview " << preview();
    }
}

TEST_F(KonfigWindow, TheCounterKeepsEveryPixelAndLabelsLeaveTheDividerWhole)
{
    Open({{"Programs", 2, IconItems({"A", "B", "C", "D"})}});
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 3);
    ASSERT_EQ(settings->Text(KonfigControl::LblItemIndex), "4/4");
    using menu_pictures::Surface;
    HWND counter = ui->Control("LblItemIndex");
    COLORREF banner = GetSysColor(COLOR_APPWORKSPACE);
    std::unique_ptr<Surface> shot = menu_pictures::ScreenShot(counter);
    auto [first, last] = menu_pictures::InkColumns(*shot, banner);
    ASSERT_GE(first, 0) << "the counter shows its text";
    EXPECT_LT(last, shot->Width() - 1) << "the last glyph ends inside the label";
    // Drawn freely in its font, the text has as many pixels of ink.
    Surface free(100, shot->Height(), banner);
    ScopedSelectObject font(free.Dc(), reinterpret_cast<HGDIOBJ>(SendMessageA(counter, WM_GETFONT, 0, 0)));
    SetBkMode(free.Dc(), TRANSPARENT);
    SetTextColor(free.Dc(), RGB(255, 255, 255));
    RECT all{0, 0, 90, shot->Height()};
    DrawTextA(free.Dc(), "4/4", 3, &all, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    int area = shot->Width() * shot->Height();
    EXPECT_EQ(area - shot->Count(banner, 0, 0, shot->Width(), shot->Height()),
              100 * shot->Height() - free.Count(banner, 0, 0, 100, shot->Height()));

    // The etched divider looks the same on every row between its ends.
    std::unique_ptr<Surface> divider = menu_pictures::ScreenShot(ui->Control("Bevel1"));
    int middle = divider->Height() / 2;
    for (int y = 2; y < divider->Height() - 2; ++y)
        for (int x = 0; x < divider->Width(); ++x)
            ASSERT_EQ(divider->At(x, y), divider->At(x, middle)) << x << "," << y;
}

// ---- the items of the selected menu ----

using KonfigItems = KonfigTest;

TEST_F(KonfigItems, SelectingAnItemFillsTheMask)
{
    Open({{"Programs", 2,
           {{"Editor", "C:\\windows\\notepad.exe", -99, 7}, {"Odd", "C:\\windows\\regedit.exe", 2, 5},
            {"Gap", "MarigoldwickCommand{-}", 0, 1}}}});
    ui->SelectRow("LvMenus", 0);
    EXPECT_EQ(ui->Rows("LvItems"), 3);
    ui->SelectRow("LvItems", 0);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), "C:\\windows\\notepad.exe");
    EXPECT_TRUE(settings->IsChecked(KonfigControl::CheckDefaultIcon));
    EXPECT_EQ(ui->Chosen("ComboStartMode"), 1) << "7 is Minimized";
    EXPECT_EQ(settings->Text(KonfigControl::LblItemIndex), "1/3");
    EXPECT_FALSE(GetWindowLongPtrA(ui->Control("EdPfad"), GWL_STYLE) & ES_READONLY);

    ui->SelectRow("LvItems", 1);
    EXPECT_EQ(ui->Chosen("ComboStartMode"), 1) << "an unknown start mode leaves the choice as it was";
    EXPECT_FALSE(settings->IsChecked(KonfigControl::CheckDefaultIcon));
    EXPECT_EQ(settings->Items().Mask().IconNumPosition(), 2);
    EXPECT_EQ(settings->Text(KonfigControl::EdIconPfad), Program);
    EXPECT_TRUE(ui->Usable("ScrollBarIconNum"));

    ui->SelectRow("LvItems", 2);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), "Separator");
    for (const char* locked : {"BtnAddItem", "BtnModifyItem", "EdPfad", "EdIconPfad", "ComboStartMode", "EdParams"})
        EXPECT_FALSE(ui->Usable(locked)) << locked;
    for (const char* open : {"BtnMoveUpItem", "BtnMoveDnItem", "BtnRemoveItem", "BtnClearItemMask", "BtnAddSep"})
        EXPECT_TRUE(ui->Usable(open)) << open;

    ui->Click("BtnClearItemMask");
    EXPECT_EQ(ui->SelectedRow("LvItems"), -1);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), "");
    EXPECT_TRUE(ui->Usable("EdPfad"));
    EXPECT_EQ(ui->Chosen("ComboStartMode"), 0) << "a new item starts Normal";
    EXPECT_EQ(settings->Text(KonfigControl::LblItemIndex), "-/3");
}

TEST_F(KonfigItems, ShellItemsShowTheirNameOrTheUnknownText)
{
    Open({{"Shell"}});
    auto shellItem = [](std::string bytes, const char* description) {
        auto item = std::make_unique<TOneItem>();
        item->IsPIDL = true;
        item->Pfad = std::move(bytes);
        item->Description = description;
        AddItem(*MenuList[0], std::move(item));
    };
    ITEMIDLIST* windows = nullptr;
    ASSERT_EQ(SHParseDisplayName(L"C:\\windows", nullptr, &windows, 0, nullptr), S_OK);
    shellItem(IdListToBytes(windows), "Windows");
    IdListFree(windows);
    shellItem(std::string("\x05\x00\xEE\xEE\xEE\x00\x00", 7), "Nameless");

    ui->SelectRow("LvMenus", -1);
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 0);
    EXPECT_NE(settings->Text(KonfigControl::EdPfad).find("indows"), std::string::npos) << settings->Text(KonfigControl::EdPfad);
    EXPECT_TRUE(settings->Items().Mask().ShowsShellItem());
    EXPECT_TRUE(GetWindowLongPtrA(ui->Control("EdPfad"), GWL_STYLE) & ES_READONLY);
    ui->SelectRow("LvItems", 1);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), "(unknown shell item)");
}

TEST_F(KonfigItems, AddChecksTheFilesAndAppendsTheItemWithItsPicture)
{
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    ui->Type("EdPfad", "C:\\nowhere\\missing.exe");
    ui->Click("BtnAddItem");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "default Icon file not found.");
    EXPECT_EQ(messages.Asked()[0].kind, MessageKind::Warning);

    ui->Type("EdPfad", "");
    ui->Check("CheckDefaultIcon", false);
    ui->Type("EdIconPfad", "C:\\nowhere\\missing.ico");
    ui->Click("BtnAddItem");
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Icon file not found.");
    EXPECT_EQ(settings->Text(KonfigControl::EdIconPfad), "C:\\nowhere\\missing.ico") << "the mask keeps what was typed";

    // An existing icon file is enough: the item path may stay empty.
    ui->Type("EdIconPfad", Program);
    SetScrollPos(ui->Control("ScrollBarIconNum"), SB_CTL, 3, FALSE);
    ui->Choose("ComboStartMode", 2);
    ui->Type("EdBeschreibung", "Three");
    ui->Click("BtnAddItem");
    EXPECT_EQ(messages.Asked().size(), 2u);
    ASSERT_EQ(Menu(0).Items.size(), 2u);
    const TOneItem& added = *Menu(0).Items[1];
    EXPECT_EQ(added.Pfad, "");
    EXPECT_EQ(added.IconNum, 3);
    EXPECT_EQ(added.Startmode, 3) << "Maximized";
    EXPECT_EQ(added.AutoStartmode, 1) << "no choice stores Normal";
    EXPECT_EQ(ui->SelectedRow("LvItems"), 1);
    EXPECT_EQ(settings->Text(KonfigControl::LblItemIndex), "2/2");
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(ImageListOf(Menu(0))->IsFinal(added.ImageIndex, SettingsPictureSize));

    // A menu's entries end below the popup's fixed commands.
    while (Menu(0).Items.size() < 1900) AddItem(Menu(0), std::make_unique<TOneItem>());
    ui->Type("EdBeschreibung", "One too many");
    ui->Click("BtnAddItem");
    ASSERT_EQ(messages.Asked().size(), 3u);
    EXPECT_EQ(messages.Asked()[2].text, "A menu holds at most 1900 items.");
    EXPECT_EQ(Menu(0).Items.size(), 1900u);

    // The description takes at most 254 characters as typed.
    ui->Click("BtnClearItemMask");
    ui->TypeAtEnd("EdBeschreibung", std::string(300, 'x'));
    EXPECT_EQ(settings->Text(KonfigControl::EdBeschreibung).size(), 254u);
}

TEST_F(KonfigItems, ModifyStoresTheMaskOrReloadsItWhenTheIconFileIsMissing)
{
    Open({{"Programs", 2, IconItems({"One", "Two"})}});
    ui->SelectRow("LvMenus", 0);
    ui->Click("BtnModifyItem");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "No item selected.");

    ui->SelectRow("LvItems", 1);
    ui->Type("EdBeschreibung", "Edited");
    ui->Type("EdIconPfad", "C:\\nowhere\\missing.ico");
    ui->Click("BtnModifyItem");
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Icon file not found.");
    EXPECT_EQ(settings->Text(KonfigControl::EdBeschreibung), "Two") << "the mask is reloaded from the item";
    EXPECT_EQ(Menu(0).Items[1]->Description, "Two");

    std::string before = PictureOf(0, *Menu(0).Items[1]), first = PictureOf(0, *Menu(0).Items[0]);
    ui->Type("EdIconPfad", "   ");
    ui->Type("EdPfad", "C:\\nowhere\\not-needed.exe");
    ui->Type("EdBeschreibung", "Edited");
    ui->Click("BtnModifyItem");
    const TOneItem& item = *Menu(0).Items[1];
    EXPECT_EQ(item.Description, "Edited");
    EXPECT_EQ(item.IconNum, DefaultIconNum) << "a blank icon path means the default icon";
    EXPECT_EQ(item.IconPfad, "");
    EXPECT_EQ(item.Pfad, "C:\\nowhere\\not-needed.exe") << "modify does not need the file";
    EXPECT_EQ(item.ImageIndex, 1);
    EXPECT_NE(PictureOf(0, item), before) << "the item shows its new picture";
    EXPECT_EQ(PictureOf(0, *Menu(0).Items[0]), first) << "the other keeps its own";
}

TEST_F(KonfigItems, ItemsOfOneSourceShareAPictureThatOutlivesEitherOfThem)
{
    Open({{"Programs", 2, {{"One", Program, 1}, {"Same", Program, 1}, {"Other", Program, 2}}}});
    ui->SelectRow("LvMenus", 0);
    ASSERT_TRUE(Settled());
    ImageListMenuImages& images = *ImageListOf(Menu(0));
    auto shown = [&](int row) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(ui->Control("LvItems"), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    };
    const int shared = images.PictureIndex(Menu(0).Items[0]->ImageIndex, SettingsPictureSize);
    EXPECT_EQ(images.PictureIndex(Menu(0).Items[1]->ImageIndex, SettingsPictureSize), shared);
    EXPECT_NE(images.PictureIndex(Menu(0).Items[2]->ImageIndex, SettingsPictureSize), shared);
    EXPECT_EQ(shown(1), shared) << "the list shows the shared picture";
    const std::string same = PictureOf(0, *Menu(0).Items[1]), other = PictureOf(0, *Menu(0).Items[2]);
    EXPECT_NE(same, other);

    ui->SelectRow("LvItems", 0);
    ui->Click("BtnRemoveItem");
    ASSERT_EQ(Descriptions(0), (std::vector<std::string>{"Same", "Other"}));
    EXPECT_EQ(PictureOf(0, *Menu(0).Items[0]), same);
    EXPECT_EQ(PictureOf(0, *Menu(0).Items[1]), other);
    EXPECT_EQ(shown(0), shared);
}

TEST_F(KonfigItems, SeparatorsMovesAndRemovesKeepEveryItemWithItsOwnPicture)
{
    Open({{"Programs", 2, IconItems({"One", "Two", "Three", "Four"})}});
    ui->SelectRow("LvMenus", 0);
    std::map<std::string, std::string> pictures = PicturesByItem(0);

    ui->SelectRow("LvItems", 2);
    ui->Click("BtnAddSep");
    EXPECT_EQ(Descriptions(0), (std::vector<std::string>{"One", "Two", "Separator", "Three", "Four"}));
    EXPECT_EQ(ui->SelectedRow("LvItems"), 2);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), "Separator");
    EXPECT_FALSE(ui->Usable("BtnAddItem"));

    ui->Click("BtnClearItemMask");
    ui->Click("BtnAddSep");
    EXPECT_EQ(Menu(0).Items.back()->Pfad, SeparatorMarker) << "without a selection it goes to the end";

    ui->SelectRow("LvItems", 0);
    ui->Click("BtnMoveUpItem");
    EXPECT_EQ(Descriptions(0)[0], "One") << "the first item cannot move up";
    ui->Click("BtnMoveDnItem");
    ui->Click("BtnMoveDnItem");
    EXPECT_EQ(Descriptions(0), (std::vector<std::string>{"Two", "Separator", "One", "Three", "Four", "Separator"}));
    EXPECT_EQ(ui->SelectedRow("LvItems"), 2);
    EXPECT_EQ(settings->Text(KonfigControl::EdBeschreibung), "One") << "the mask follows the moved item";

    ui->SelectRow("LvItems", 1);
    ui->Click("BtnRemoveItem");
    ui->SelectRow("LvItems", 3);
    ui->Click("BtnRemoveItem");
    EXPECT_EQ(Descriptions(0), (std::vector<std::string>{"Two", "One", "Three", "Separator"}));
    pictures.erase("Four");
    EXPECT_EQ(PicturesByItem(0), pictures);
    EXPECT_EQ(ImageListOf(Menu(0))->Count(), 4);

    ui->SelectRow("LvItems", 3);
    ui->Click("BtnRemoveItem");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 2) << "removing the last selects the new last";
    EXPECT_EQ(settings->Text(KonfigControl::EdBeschreibung), "Three");
    while (!Menu(0).Items.empty()) ui->Click("BtnRemoveItem");
    EXPECT_EQ(settings->Text(KonfigControl::EdBeschreibung), "");
    EXPECT_EQ(settings->Text(KonfigControl::LblItemIndex), "-/0");
    EXPECT_EQ(ImageListOf(Menu(0))->Count(), 0);
}

TEST_F(KonfigItems, AnExistingFolderIsAnEntryButNoIconFile)
{
    Open({{"Places", 2, {}}});
    ui->SelectRow("LvMenus", 0);
    ui->Type("EdPfad", folder->Path());
    ui->Click("BtnAddItem");
    EXPECT_TRUE(messages.Asked().empty());
    ASSERT_EQ(Menu(0).Items.size(), 1u);
    EXPECT_EQ(Menu(0).Items[0]->Pfad, folder->Path());
    EXPECT_EQ(Menu(0).Items[0]->IconNum, DefaultIconNum);

    ui->Check("CheckDefaultIcon", false);
    ui->Type("EdIconPfad", folder->Path());
    ui->Click("BtnModifyItem");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Icon file not found.");
    EXPECT_EQ(Menu(0).Items[0]->IconNum, DefaultIconNum);
}

TEST_F(KonfigItems, PathsWithVariablesAreCheckedExpandedAndStoredAsTyped)
{
    std::string bin = BinFolder();
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_KONFIG_BIN", bin.substr(0, bin.size() - 1).c_str()));
    const std::string typed = "%MGW_KONFIG_BIN%\\mgoldwk.exe";
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    ui->Click("BtnClearItemMask");
    ui->Type("EdPfad", typed);
    ui->Check("CheckDefaultIcon", true);
    ui->Click("BtnAddItem");
    EXPECT_TRUE(messages.Asked().empty()) << "the program was found";
    ASSERT_EQ(Menu(0).Items.size(), 2u);
    EXPECT_EQ(Menu(0).Items[1]->Pfad, typed);

    // As an icon path: its icons are counted, so the number can be chosen.
    ui->Check("CheckDefaultIcon", false);
    ui->Type("EdIconPfad", typed);
    EXPECT_TRUE(ui->Usable("ScrollBarIconNum"));
    SetScrollPos(ui->Control("ScrollBarIconNum"), SB_CTL, 2, FALSE);
    ui->Click("BtnModifyItem");
    EXPECT_TRUE(messages.Asked().empty()) << "the icon file was found";
    EXPECT_EQ(Menu(0).Items[1]->IconPfad, typed);
    EXPECT_EQ(Menu(0).Items[1]->IconNum, 2);
    SetEnvironmentVariableA("MGW_KONFIG_BIN", nullptr);
}

TEST_F(KonfigItems, EveryAddedItemHasAPlaceOfItsOwnAndTheSelectedOneIsInView)
{
    Open({{"Programs", 2, IconItems({"One"})}, {"Empty", 2, {}}});
    HWND list = ui->Control("LvItems");
    auto expectPlaced = [&](int count) {
        ASSERT_EQ(ui->Rows("LvItems"), count);
        RECT client{};
        GetClientRect(list, &client);
        std::vector<RECT> places(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            places[static_cast<size_t>(i)].left = LVIR_BOUNDS;
            ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(&places[static_cast<size_t>(i)])));
            for (int j = 0; j < i; ++j) {
                RECT common{};
                EXPECT_FALSE(IntersectRect(&common, &places[static_cast<size_t>(i)], &places[static_cast<size_t>(j)]))
                    << "items " << j << " and " << i << " of " << count;
            }
        }
        int selected = ui->SelectedRow("LvItems");
        if (selected < 0) return;
        RECT seen{};
        IntersectRect(&seen, &places[static_cast<size_t>(selected)], &client);
        EXPECT_TRUE(EqualRect(&seen, &places[static_cast<size_t>(selected)])) << "item " << selected << " in view";
    };
    for (int menu : {0, 1}) {
        ui->SelectRow("LvMenus", menu);
        int count = menu == 0 ? 1 : 0;
        for (int i = 0; i < 8; ++i) {
            ui->Type("EdPfad", Program);
            ui->Click("BtnAddItem");
            expectPlaced(++count);
        }
        ui->SelectRow("LvItems", 2);
        ui->Click("BtnAddSep");
        expectPlaced(++count);
    }
    ui->SelectRow("LvMenus", 0);
    expectPlaced(10);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(KonfigItems, KeysThatMoveTheSelectionScrollItIntoView)
{
    std::vector<ItemLine> many;
    for (int i = 0; i < 30; ++i) many.push_back({"Item " + std::to_string(i), "C:\\windows\\notepad.exe"});
    Open({{"Programs", 2, many}, {"Grown", 2, {}}});
    HWND list = ui->Control("LvItems");
    auto pressShowing = [&](WORD key) {
        ui->PressKeys("LvItems", {key});
        int selected = ui->SelectedRow("LvItems");
        RECT client{}, place{}, seen{};
        GetClientRect(list, &client);
        place.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&place));
        IntersectRect(&seen, &place, &client);
        EXPECT_TRUE(EqualRect(&seen, &place) && !IsRectEmpty(&place))
            << "key " << key << ": item " << selected << " at " << place.top << ".." << place.bottom << " of "
            << client.bottom;
        return selected;
    };
    // A menu read from the file, and one grown item by item in the window.
    for (int menu : {0, 1}) {
        ui->SelectRow("LvMenus", menu);
        for (int i = 0; menu == 1 && i < 30; ++i) {
            ui->Type("EdPfad", Program);
            ui->Click("BtnAddItem");
        }
        SetFocus(list);
        EXPECT_EQ(pressShowing(VK_END), 29);
        EXPECT_EQ(pressShowing(VK_HOME), 0);
        int page = pressShowing(VK_NEXT);
        EXPECT_GT(page, 0);
        EXPECT_GT(pressShowing(VK_DOWN), page);
        EXPECT_EQ(pressShowing(VK_END), 29);
        EXPECT_LT(pressShowing(VK_PRIOR), 29);
        EXPECT_LT(pressShowing(VK_UP), 29);
        // The key's item already chosen but scrolled away: the key still shows it.
        EXPECT_EQ(pressShowing(VK_END), 29);
        SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
        EXPECT_EQ(pressShowing(VK_END), 29);
        EXPECT_EQ(pressShowing(VK_HOME), 0);
        SendMessageA(list, LVM_ENSUREVISIBLE, 29, FALSE);
        EXPECT_EQ(pressShowing(VK_HOME), 0);
    }
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(KonfigItems, TypingInTheListFindsTheNextDescriptionWrappingAround)
{
    Open({{"Programs", 2, IconItems({"beta", "Alpha", "Bravo", "alps"})}});
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 1);
    SetFocus(ui->Control("LvItems"));
    ui->TypeChar("LvItems", 'b');
    EXPECT_EQ(ui->SelectedRow("LvItems"), 2);
    Sleep(TypeAheadBuffer::PauseMs);  // past the type-ahead time, so the next key starts a new search
    ui->TypeChar("LvItems", 'a');
    EXPECT_EQ(ui->SelectedRow("LvItems"), 3);
    Sleep(TypeAheadBuffer::PauseMs);
    ui->TypeChar("LvItems", 'B');
    EXPECT_EQ(ui->SelectedRow("LvItems"), 0) << "the search wraps to the first item";
}

// Cyrillic, CJK, an emoji (a surrogate pair) and a combining accent.
const std::vector<std::string> UnicodeNames = {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                               "\xE6\x96\x87\xE6\x9B\xB8 \xE4\xB8\x80",
                                               "Smile \xF0\x9F\x98\x80\xF0\x9F\x8E\x89", "Cafe\xCC\x81"};

TEST_F(KonfigItems, UnicodeTextsTypedIntoTheMaskReachTheModelAndShowBackExactly)
{
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    for (const std::string& name : UnicodeNames) {
        ui->Click("BtnClearItemMask");
        ui->Type("EdPfad", Program);
        // Typed key by key: an emoji arrives as two WM_CHAR, one per surrogate.
        ui->TypeChars("EdBeschreibung", name);
        ui->Click("BtnAddItem");
    }
    ASSERT_TRUE(messages.Asked().empty());
    ASSERT_EQ(Menu(0).Items.size(), 1 + UnicodeNames.size());
    for (size_t i = 0; i < UnicodeNames.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(Menu(0).Items[static_cast<size_t>(row)]->Description, UnicodeNames[i]) << row;
        EXPECT_EQ(ui->Cell("LvItems", row), UnicodeNames[i]) << "the list asks in UTF-16";
    }

    // A path typed in another script is stored as typed and loads back into the mask.
    const std::string path = folder->File(UnicodeNames[0] + "\\" + UnicodeNames[2] + ".exe");
    ui->SelectRow("LvItems", 2);
    ui->Type("EdPfad", path);
    ui->Type("EdParams", "/n " + UnicodeNames[3]);
    ui->Click("BtnModifyItem");
    ASSERT_TRUE(messages.Asked().empty());
    EXPECT_EQ(Menu(0).Items[2]->Pfad, path);
    EXPECT_EQ(Menu(0).Items[2]->Parameters, "/n " + UnicodeNames[3]);
    ui->SelectRow("LvItems", 0);
    ui->SelectRow("LvItems", 2);
    EXPECT_EQ(ui->Text("EdPfad"), path);
    EXPECT_EQ(ui->Text("EdBeschreibung"), UnicodeNames[1]);
    EXPECT_EQ(ui->Text("EdParams"), "/n " + UnicodeNames[3]);

    // Type-ahead folds case by the system's rules: a lower-case Cyrillic letter finds "Привет".
    SetFocus(ui->Control("LvItems"));
    ui->TypeChars("LvItems", "\xD0\xBF");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 1);

    // The description's limit counts characters, an emoji as one, and keeps a pair whole or
    // drops it, pasted or typed unit by unit.
    const std::string emoji = "\xF0\x9F\x98\x80";
    ui->Click("BtnClearItemMask");
    ui->TypeAtEnd("EdBeschreibung", std::string(253, 'x') + emoji + emoji);
    EXPECT_EQ(ui->Text("EdBeschreibung"), std::string(253, 'x') + emoji);
    ui->Click("BtnClearItemMask");
    ui->TypeAtEnd("EdBeschreibung", std::string(250, 'x') + emoji + emoji + emoji);
    ui->TypeChars("EdBeschreibung", "y" + emoji);
    EXPECT_EQ(ui->Text("EdBeschreibung"), std::string(250, 'x') + emoji + emoji + emoji + "y");
}

// Once this thread's open-file dialog shows: `path` typed as its file name, then Open.
void AnswerFileDialog(const std::string& path, bool& answered)
{
    WhileShown([path, &answered] {
        HWND dialog = ThreadDialog();
        HWND name = dialog ? GetDlgItem(dialog, cmb13) : nullptr;
        if (!name && dialog) name = GetDlgItem(dialog, edt1);
        if (!name) return AnswerFileDialog(path, answered);
        SetWindowTextW(name, Wide(path).c_str());
        answered = Post(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
}

TEST_F(KonfigItems, TheBrowseDialogReturnsAUnicodePathExactly)
{
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    const std::string name = UnicodeNames[0] + " " + UnicodeNames[2] + " " + UnicodeNames[3] + ".exe";
    ASSERT_TRUE(folder->Write(name, "MZ"));
    bool answered = false;
    WhileShown([&] {
        PostMessageW(settings->Handle(), WM_CHAR, 'f', 0);
        AnswerFileDialog(folder->File(name), answered);
    });
    ui->Click("BtnBrowsePfad");
    EXPECT_TRUE(answered);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), folder->File(name));
    EXPECT_EQ(settings->Text(KonfigControl::EdIconPfad), folder->File(name)) << "a program is its own icon file";
}

TEST_F(KonfigItems, TypingInTheListMatchesTheWholeTextAtAUsersPace)
{
    std::vector<ItemLine> items;
    for (int i = 1; i <= 200; ++i) items.push_back({"Entry number " + std::to_string(i), "C:\\x.exe"});
    Open({{"Many", 2, items}});
    ui->SelectRow("LvMenus", 0);
    SetFocus(ui->Control("LvItems"));
    auto type = [&](std::string_view text) {
        for (char c : text) ui->TypeChar("LvItems", c);
    };
    type("entry number 150");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 149);
    Sleep(TypeAheadBuffer::PauseMs);
    // Slower than the list's own search: a letter every 0.6 s still adds to the text.
    type("entry number 1");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 150) << "a new text looks on from the selected item";
    Sleep(600);
    type("2");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 11);
    Sleep(600);
    type("7");
    EXPECT_EQ(ui->SelectedRow("LvItems"), 126);
}

TEST_F(KonfigItems, WorkingDirectoryAndRunAsAdministratorGoThroughTheMask)
{
    Open({{"Programs", 2, IconItems({"One", "Two"})}});
    Menu(0).Items[1]->WorkingDir = "%TEMP%";
    Menu(0).Items[1]->RunAsAdmin = true;
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 1);
    EXPECT_EQ(settings->Text(KonfigControl::EdWorkingDir), "%TEMP%");
    EXPECT_TRUE(settings->IsChecked(KonfigControl::CheckRunAsAdmin));
    ui->SelectRow("LvItems", 0);
    EXPECT_EQ(settings->Text(KonfigControl::EdWorkingDir), "");
    EXPECT_FALSE(settings->IsChecked(KonfigControl::CheckRunAsAdmin));

    // The browse button starts at the entry's folder, then at what the field says.
    std::vector<std::string> starts;
    settings->System().ChooseFolder = [&](HWND, std::string& path) {
        starts.push_back(path);
        path = folder->Path();
        return true;
    };
    ui->Click("BtnBrowseWorkingDir");
    EXPECT_EQ(settings->Text(KonfigControl::EdWorkingDir), folder->Path());
    ui->Check("CheckRunAsAdmin", true);
    ui->Click("BtnModifyItem");
    EXPECT_EQ(Menu(0).Items[0]->WorkingDir, folder->Path());
    EXPECT_TRUE(Menu(0).Items[0]->RunAsAdmin);
    ui->Type("EdWorkingDir", "%TEMP%\\sub");
    ui->Click("BtnBrowseWorkingDir");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], Program.substr(0, Program.find_last_of('\\') + 1));
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("TEMP", temp, sizeof(temp)), 0u);
    EXPECT_EQ(starts[1], std::string(temp) + "\\sub") << "expanded for the dialog";

    ui->Click("BtnClearItemMask");
    EXPECT_EQ(settings->Text(KonfigControl::EdWorkingDir), "");
    EXPECT_FALSE(settings->IsChecked(KonfigControl::CheckRunAsAdmin));
    EXPECT_TRUE(ui->Usable("EdWorkingDir"));
    ui->Click("BtnAddSep");
    for (const char* locked : {"EdWorkingDir", "BtnBrowseWorkingDir", "CheckRunAsAdmin"})
        EXPECT_FALSE(ui->Usable(locked)) << locked << " on a separator";
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(KonfigItems, BrowsingAndTheIconPickerFillTheMask)
{
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 0);
    std::string given;
    settings->System().PickIcon = [&](HWND, std::string& path, int& index) {
        given = path;
        path = Program;
        index = 4;
        return true;
    };
    ui->Type("EdIconPfad", std::string(300, 'p'));
    ui->Click("BtnBrowseIconPath");
    EXPECT_EQ(given, std::string(260, 'p'));
    EXPECT_EQ(settings->Text(KonfigControl::EdIconPfad), Program);
    EXPECT_EQ(settings->Items().Mask().IconNumPosition(), 4);

    ui->Check("CheckDefaultIcon", true);
    ui->Click("BtnBrowseIconPath");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Please uncheck 'use default icon' before choosing an icon.");
    EXPECT_EQ(messages.Asked()[0].caption, "Marigoldwick");

    settings->System().ChooseFile = [](HWND, std::string& file) {
        file = Program.substr(0, Program.size() - 4) + ".EXE";
        return true;
    };
    ui->Check("CheckDefaultIcon", false);
    BrowsePfad('f');
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), settings->Text(KonfigControl::EdIconPfad));
    EXPECT_TRUE(settings->IsChecked(KonfigControl::CheckDefaultIcon));
    EXPECT_NE(settings->Items().Mask().PreviewIcon(), nullptr);
}

TEST_F(KonfigItems, BrowsingChoosesAFolderFromTheCurrentPathOrNothing)
{
    Open({{"Programs", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 0);
    std::vector<std::string> starts;
    bool choose = true;
    settings->System().ChooseFolder = [&](HWND, std::string& path) {
        starts.push_back(path);
        path = folder->Path();
        return choose;
    };
    settings->System().ChooseFile = [](HWND, std::string&) -> bool {
        ADD_FAILURE() << "the file dialog opened";
        return false;
    };
    ui->Check("CheckDefaultIcon", false);
    BrowsePfad('o');
    ASSERT_EQ(starts, std::vector<std::string>{Program});
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), folder->Path());
    EXPECT_EQ(settings->Text(KonfigControl::EdIconPfad), Program) << "a folder is no icon file";
    EXPECT_TRUE(settings->IsChecked(KonfigControl::CheckDefaultIcon));
    EXPECT_NE(settings->Items().Mask().PreviewIcon(), nullptr);

    ui->Type("EdPfad", Program);
    choose = false;
    BrowsePfad('o');
    EXPECT_EQ(starts.size(), 2u);
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), Program) << "a cancelled folder dialog changes nothing";
    BrowsePfad(VK_ESCAPE);
    EXPECT_EQ(starts.size(), 2u) << "the popup closed without a choice";
    EXPECT_EQ(settings->Text(KonfigControl::EdPfad), Program);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(KonfigItems, TheSubmenuChoiceIsOfferedForFoldersAndAMenuFollowingAFolderIsReadOnly)
{
    Open({{"Places", 2, IconItems({"One"})}});
    ui->SelectRow("LvMenus", 0);
    ui->SelectRow("LvItems", 0);
    // Offered once typing pauses on an existing folder, variables expanded; a file drops it.
    const std::pair<std::string, bool> paths[] = {{folder->Path(), true}, {"%TEMP%", true}, {Program, false}};
    for (const auto& [path, folderMenu] : paths) {
        ui->Type("EdPfad", path);
        EXPECT_TRUE(Settled([&, offered = folderMenu] { return ui->Usable("CheckFolderMenu") == offered; })) << path;
        if (folderMenu) ui->Check("CheckFolderMenu", true);
        ui->Click("BtnModifyItem");
        EXPECT_EQ(Menu(0).Items[0]->FolderMenu, folderMenu) << path;
    }
    // A missing folder is refused, the dialog stays; a quoted one is taken trimmed, the entries locked.
    const std::string place = TidyFolder(folder->Path());
    WithMenuDialog("BtnModifyMenu", [&](TfrmEditMenu& dialog) {
        dialog.SetMenuFolder(place + "\\missing");
        FormDriver(dialog).Click("BtnOK");
        EXPECT_TRUE(dialog.IsShown());
        dialog.SetMenuFolder("  \"" + place + "\\\" ");
    });
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_NE(messages.Asked()[0].text.find(place + "\\missing\" does not exist"), std::string::npos);
    EXPECT_EQ(Menu(0).MenuFolder, place);
    for (const char* locked : {"BtnAddItem", "BtnRemoveItem", "BtnAddSep"}) EXPECT_FALSE(ui->Usable(locked));
    WithMenuDialog("BtnModifyMenu", [&](TfrmEditMenu& dialog) { dialog.SetMenuFolder(""); });
    EXPECT_TRUE(Menu(0).MenuFolder.empty() && ui->Usable("EdPfad") && ui->Usable("BtnAddItem"));
}

}  // namespace
