// The menu properties dialog in-process: fields, icon range and preview, the icon picker,
// the hotkey control and the modal run, driven as a user would.
#include "config/model.h"
#include "settings/editmenu_win.h"
#include "settings/hotkey_value.h"
#include "while_shown.h"

#include "driver.h"
#include "form_driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <fstream>
#include <optional>

namespace {

const std::string Program = BesideTestProgram("mgoldwk.exe");
int ProgramIcons() { return static_cast<int>(ExtractIconExA(Program.c_str(), -1, nullptr, nullptr, 0)); }

// A .ico file holding exactly one 16 x 16 icon, 32 bits per pixel.
std::string WriteOneIconFile()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "mgw-editmenu-one.ico", bytes;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<char>(v >> (8 * i)));
    };
    put(0x10000, 4), put(1, 2), put(0x1010, 4), put(0x200001, 4), put(40 + 1024 + 64, 4), put(22, 4);
    put(40, 4), put(16, 4), put(32, 4), put(0x200001, 4);
    for (int i = 0; i < 6 + 256; ++i) put(i < 6 ? 0 : 0xFF2080C0u, 4);
    put(0, 64);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class EditMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = TfrmEditMenu::Create(nullptr);
        ASSERT_TRUE(form);
        ui.emplace(*form);
    }

    int RangeMax() const
    {
        int minimum = -1, maximum = -1;
        GetScrollRange(ui->Control("ScrollBarMenIconNum"), SB_CTL, &minimum, &maximum);
        return minimum == 0 ? maximum : -1;
    }
    bool BarEnabled() const { return ui->Usable("ScrollBarMenIconNum"); }
    std::unique_ptr<TfrmEditMenu> form;
    std::optional<FormDriver> ui;
};

TEST_F(EditMenuTest, LayoutAndStartingState)
{
    // Wider only where a caption needs more room in the system's message font.
    EXPECT_GE(ui->ClientSize().cx, 348);
    EXPECT_EQ(ui->ClientSize().cy, 247);
    EXPECT_EQ(ControlText(form->Handle()), "Menu");
    EXPECT_GE(ui->Place("EdIconPfad").left, 200);
    EXPECT_EQ(ui->Place("EdIconPfad").top, 76);
    EXPECT_GE(ui->Place("MenuHotKey").left, 236);
    EXPECT_EQ(ui->Place("BtnCancel").top, 218);
    RECT panel = ui->Place("PanelMenuIcon"), image = ui->Place("ImgMenuIcon");
    EXPECT_EQ(panel.left, ui->Place("EdIconPfad").left + 3);
    EXPECT_TRUE(image.left > panel.left && image.bottom < panel.bottom);
    EXPECT_EQ(form->Text(EditMenuControl::RadioLCB2), "Load first program in list");
    EXPECT_EQ(form->LCBIndex(), 1);
    EXPECT_EQ(RangeMax(), 0);
    EXPECT_FALSE(BarEnabled());
}

TEST_F(EditMenuTest, IconRangeFollowsThePathAndTypingResetsTheIndex)
{
    std::string one = WriteOneIconFile();
    form->SetIconPfad(one);
    EXPECT_EQ(RangeMax(), 0);
    EXPECT_FALSE(BarEnabled());
    EXPECT_NE(form->PreviewIcon(), nullptr);
    DeleteFileA(one.c_str());

    form->SetIconPfad(Program);
    ASSERT_GE(ProgramIcons(), 14);
    EXPECT_EQ(RangeMax(), ProgramIcons() - 1);
    EXPECT_TRUE(BarEnabled());
    ui->Scroll("ScrollBarMenIconNum", SB_LINEDOWN);
    ui->Scroll("ScrollBarMenIconNum", SB_LINEDOWN);
    EXPECT_EQ(form->IconNum(), 2);
    form->SetIconNum(ProgramIcons() - 1);
    ui->Scroll("ScrollBarMenIconNum", SB_LINEDOWN);
    EXPECT_EQ(form->IconNum(), ProgramIcons() - 1);

    // A variable in the path is counted and shown as its value, and kept as typed.
    std::string bin = BinFolder();
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_EDITMENU_BIN", bin.substr(0, bin.size() - 1).c_str()));
    form->SetIconPfad("%MGW_EDITMENU_BIN%\\mgoldwk.exe");
    SetEnvironmentVariableA("MGW_EDITMENU_BIN", nullptr);
    EXPECT_EQ(RangeMax(), ProgramIcons() - 1);
    EXPECT_NE(form->PreviewIcon(), nullptr);
    EXPECT_EQ(form->IconPfad(), "%MGW_EDITMENU_BIN%\\mgoldwk.exe");

    // One more typed character is a new path: recounted, index 0, blank preview.
    ui->TypeAtEnd("EdIconPfad", "x");
    EXPECT_EQ(form->IconNum(), 0);
    EXPECT_FALSE(BarEnabled());
    EXPECT_EQ(form->PreviewIcon(), nullptr);
}

TEST_F(EditMenuTest, IconPickerGetsTheCutPathAndItsChoiceIsShown)
{
    std::string asked;
    int startIndex = -1;
    form->PickIcon = [&](HWND, std::string& path, int& index) {
        asked = path;
        startIndex = index;
        path = Program;
        index = 5;
        return true;
    };
    std::string longPath = "C:\\" + std::string(300, 'a') + ".dll";
    form->SetIconPfad(longPath);
    ui->Click("BtnBrowseMenIcon");
    EXPECT_EQ(asked, longPath.substr(0, 260));
    EXPECT_EQ(form->IconPfad(), Program);
    EXPECT_EQ(form->IconNum(), 5);
    EXPECT_NE(form->PreviewIcon(), nullptr);

    // A double click on the preview opens it too, from the shown icon; giving up keeps all.
    form->PickIcon = [&](HWND, std::string&, int& index) { return startIndex = index, false; };
    SendMessageA(ui->Control("ImgMenuIcon"), WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(startIndex, 5);
    EXPECT_EQ(form->IconPfad(), Program);
    EXPECT_EQ(form->IconNum(), 5);
}

// Wine 8's picker (ordinal 62) is a stub that shows nothing and accepts: this sees the
// path make the round trip through the wide buffer.
TEST_F(EditMenuTest, ShellPickerGivesBackThePathAndIndex)
{
    bool wasNT = std::exchange(RunningOnNT, true);
    std::string path = Program;
    int index = 2;
    EXPECT_TRUE(ShellPickIcon(form->Handle(), path, index));
    RunningOnNT = wasNT;
    EXPECT_EQ(path, Program);
    EXPECT_EQ(index, 2);
}

TEST_F(EditMenuTest, HotkeyControlDropsShiftAloneAndConvertsValues)
{
    ui->PressKeys("MenuHotKey", {VK_SHIFT, 'A'});
    EXPECT_EQ(SendMessageA(ui->Control("MenuHotKey"), HKM_GETHOTKEY, 0, 0), 'A');
    EXPECT_EQ(form->MenuHotKey(), 'A');
    ui->PressKeys("MenuHotKey", {VK_CONTROL, VK_SHIFT, VK_F5});
    EXPECT_EQ(form->MenuHotKey(), VK_F5 + HotkeyCtrl + HotkeyShift);
    form->SetMenuHotKey('M' + HotkeyCtrl + HotkeyAlt);
    EXPECT_EQ(SendMessageA(ui->Control("MenuHotKey"), HKM_GETHOTKEY, 0, 0), 0x064D);
    form->SetMenuHotKey(0);
    EXPECT_EQ(form->MenuHotKey(), 0);
}

TEST_F(EditMenuTest, ModalRunKeepsFieldsEscCancelsAndF1AsksForHelp)
{
    form->SetMenuName("Tools");
    form->SetIconPfad(Program);
    form->SetIconNum(3);
    form->SetMenuHotKey('T' + HotkeyAlt);
    form->SetLCBIndex(2);
    form->SetInitialFocus(EditMenuControl::EdMenuName);
    int helpAsked = 0;
    form->OnHelp = [&] { ++helpAsked; };
    HWND focus = nullptr;
    WhileShown([&] {
        focus = GetFocus();
        PostMessageA(focus, WM_KEYUP, VK_F1, 0);
        ui->Click("RadioLCB0");
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(form->Execute(nullptr, "Modify menu"), ModalResult::Cancel);
    EXPECT_EQ(focus, ui->Control("EdMenuName"));
    EXPECT_EQ(helpAsked, 1);

    WhileShown([&] {
        ui->Type("EdMenuName", "Renamed");
        ui->QueueClick("BtnOK");
    });
    EXPECT_EQ(form->Execute(nullptr, "Modify menu"), ModalResult::Ok);
    EXPECT_EQ(ControlText(form->Handle()), "Modify menu");
    EXPECT_EQ(form->MenuName(), "Renamed");
    EXPECT_EQ(form->IconNum(), 3);
    EXPECT_EQ(form->MenuHotKey(), 'T' + HotkeyAlt);
    EXPECT_EQ(form->LCBIndex(), 0);  // carries over to the next run
}

}  // namespace
