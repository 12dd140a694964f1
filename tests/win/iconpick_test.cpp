// The own icon picker in-process: choosing, giving up, the keyboard, the preselected icon,
// another file, a file without icons, and the dialogs that open it by default.
#include "settings/editmenu_win.h"
#include "settings/iconpick_win.h"
#include "shell/icon_picker_win.h"
#include "while_shown.h"

#include "driver.h"
#include "form_driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <fstream>
#include <optional>

namespace {

const std::string Program = BesideTestProgram("mgoldwk.exe");
const std::string Library = "C:\\windows\\system32\\shell32.dll";

int IconsIn(const std::string& file) { return static_cast<int>(ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0)); }

std::string WriteTextFile()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "mgw-iconpick-none.txt";
    std::ofstream(path) << "no icons here\n";
    return path;
}

class IconPickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = TfrmIconPick::Create(nullptr);
        ASSERT_TRUE(form);
        ui.emplace(*form);
        ASSERT_GE(IconsIn(Program), 3);
    }

    // Runs the picker on that file and index; `user` acts while it is shown.
    ModalResult Run(const std::string& path, int index, std::function<void()> user)
    {
        WhileShown([=] { user(); });
        return form->Execute(nullptr, path, index);
    }

    RECT ItemPlace(int index) const
    {
        RECT r{};
        r.left = LVIR_ICON;
        SendMessageA(ui->Control("LvIcons"), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }

    std::unique_ptr<TfrmIconPick> form;
    std::optional<FormDriver> ui;
};

TEST_F(IconPickTest, ShowsTheFilesIconsWithTheCurrentOneChosenAndOkGivesTheClickedOne)
{
    ModalResult result = Run(Program, 2, [&] {
        EXPECT_TRUE(form->IsShown());
        EXPECT_EQ(ui->Text("EdFile"), Program);
        EXPECT_EQ(ui->Rows("LvIcons"), IconsIn(Program));
        EXPECT_EQ(ui->SelectedRow("LvIcons"), 2);
        EXPECT_EQ(GetFocus(), ui->Control("LvIcons"));
        ui->SelectRow("LvIcons", 1);
        ui->QueueClick("BtnOK");
    });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_FALSE(form->IsShown());
    EXPECT_EQ(form->IconPath(), Program);
    EXPECT_EQ(form->IconIndex(), 1);

    // An index the file does not have starts on its first icon.
    EXPECT_EQ(Run(Program, 999, [&] { ui->QueueClick("BtnOK"); }), ModalResult::Ok);
    EXPECT_EQ(form->IconIndex(), 0);
}

TEST_F(IconPickTest, CancelEscAndTheCloseBoxGiveUp)
{
    EXPECT_EQ(Run(Program, 1, [&] { ui->QueueClick("BtnCancel"); }), ModalResult::Cancel);
    EXPECT_EQ(Run(Program, 1, [&] { ui->QueueKeyDown("LvIcons", VK_ESCAPE); }), ModalResult::Cancel);
    EXPECT_EQ(Run(Program, 1, [&] { ui->QueueClose(); }), ModalResult::Cancel);
}

TEST_F(IconPickTest, ArrowsMoveAndEnterOrADoubleClickChoose)
{
    ModalResult result = Run(Program, 0, [&] {
        ui->QueueKeyDown("LvIcons", VK_RIGHT);
        ui->QueueKeyDown("LvIcons", VK_RIGHT);
        ui->QueueKeyDown("LvIcons", VK_LEFT);
        ui->QueueKeyDown("LvIcons", VK_RETURN);
    });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_EQ(form->IconIndex(), 1);

    result = Run(Program, 0, [&] {
        RECT r = ItemPlace(2);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        HWND list = ui->Control("LvIcons");
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_EQ(form->IconIndex(), 2);
}

TEST_F(IconPickTest, ALateCurrentIconIsScrolledIntoView)
{
    int count = IconsIn(Library);
    ASSERT_GT(count, 60) << "enough icons to scroll";
    // Looked at once the shown form has handled what was queued before.
    Run(Library, count - 1, [&] {
        WhileShown([&] {
            EXPECT_EQ(ui->SelectedRow("LvIcons"), count - 1);
            RECT client{}, item = ItemPlace(count - 1), overlap{};
            GetClientRect(ui->Control("LvIcons"), &client);
            EXPECT_TRUE(IntersectRect(&overlap, &client, &item)) << item.top << " " << client.bottom;
            ui->QueueClick("BtnCancel");
        });
    });
}

TEST_F(IconPickTest, BrowsingOrTypingAnotherFileReloadsTheListAndAFileWithoutIconsAllowsNoOk)
{
    std::string offered;
    form->ChooseFile = [&](HWND, std::string& file) {
        offered = file;
        file = Library;
        return true;
    };
    std::string text = WriteTextFile();
    ModalResult result = Run(Program, 2, [&] {
        ui->Click("BtnBrowse");
        EXPECT_EQ(offered, Program) << "the dialog starts at the current file";
        EXPECT_EQ(ui->Text("EdFile"), Library);
        EXPECT_EQ(ui->Rows("LvIcons"), IconsIn(Library));
        EXPECT_EQ(ui->SelectedRow("LvIcons"), 0);
        EXPECT_TRUE(ui->Usable("BtnOK"));

        ui->Type("EdFile", text);
        EXPECT_EQ(ui->Rows("LvIcons"), 0);
        EXPECT_FALSE(ui->Usable("BtnOK"));
        ui->Type("EdFile", "C:\\no\\such\\file.dll");
        EXPECT_EQ(ui->Rows("LvIcons"), 0);
        ui->Type("EdFile", Program);
        EXPECT_EQ(ui->Rows("LvIcons"), IconsIn(Program));
        ui->SelectRow("LvIcons", 2);
        ui->QueueClick("BtnOK");
    });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_EQ(form->IconPath(), Program);
    EXPECT_EQ(form->IconIndex(), 2);

    // Given up in the file dialog: nothing changes.
    form->ChooseFile = [](HWND, std::string&) { return false; };
    result = Run(text, 0, [&] {
        EXPECT_EQ(ui->Rows("LvIcons"), 0);
        EXPECT_FALSE(ui->Usable("BtnOK"));
        ui->Click("BtnBrowse");
        EXPECT_EQ(ui->Text("EdFile"), text);
        ui->QueueKeyDown("LvIcons", VK_RETURN);
        ui->QueueKeyDown("LvIcons", VK_ESCAPE);
    });
    EXPECT_EQ(result, ModalResult::Cancel) << "Enter does nothing without an icon";
    DeleteFileA(text.c_str());
}

TEST_F(IconPickTest, AFileNamedWithAVariableListsTheIconsOfItsValueAndKeepsTheName)
{
    const std::string typed = "%SystemRoot%\\system32\\shell32.dll";
    ModalResult result = Run(typed, 3, [&] {
        EXPECT_EQ(ui->Rows("LvIcons"), IconsIn(Library));
        EXPECT_EQ(ui->SelectedRow("LvIcons"), 3);
        // Without icons OK stays disabled: give up rather than wait.
        ui->QueueClick(ui->Rows("LvIcons") > 0 ? "BtnOK" : "BtnCancel");
    });
    EXPECT_EQ(result, ModalResult::Ok);
    EXPECT_EQ(form->IconPath(), typed);
    EXPECT_EQ(form->IconIndex(), 3);
}

// Wine's own picker shows nothing: the dialogs' default picker is the program's own, and
// its choice (or giving up) comes back to the dialog that opened it.
TEST(IconPickDefault, TheMenuDialogOpensTheOwnPickerUnderWine)
{
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "Wine only";
    EXPECT_FALSE(SystemIconPickerUsable());
    std::unique_ptr<TfrmEditMenu> dialog = TfrmEditMenu::Create(nullptr);
    ASSERT_TRUE(dialog);
    FormDriver ui(*dialog);
    dialog->SetIconPfad(Program);
    dialog->SetIconNum(1);

    HWND owner = dialog->Handle();
    auto pickWith = [&](WPARAM key, int* seenIndex) {
        WhileShown([=] {
            HWND picker = FindWindowA("TfrmIconPick", "Change Icon");
            ASSERT_NE(picker, nullptr);
            EXPECT_FALSE(IsWindowEnabled(owner)) << "modal to the dialog";
            HWND list = FindWindowExA(picker, nullptr, WC_LISTVIEWA, nullptr);
            *seenIndex = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            PostMessageA(list, WM_KEYDOWN, VK_RIGHT, 0);
            PostMessageA(list, WM_KEYDOWN, key, 0);
        });
    };
    int seen = -1;
    pickWith(VK_RETURN, &seen);
    ui.Click("BtnBrowseMenIcon");
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(dialog->IconPfad(), Program);
    EXPECT_EQ(dialog->IconNum(), 2);
    EXPECT_TRUE(IsWindowEnabled(dialog->Handle()));

    pickWith(VK_ESCAPE, &seen);
    SendMessageA(ui.Control("ImgMenuIcon"), WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(dialog->IconNum(), 2);
}

}  // namespace
