// The About box in-process: its layout, the banner decoded from the program's resources,
// the shell calls and their error messages, and the ways a modal run ends.
#include "about/about_win.h"
#include "about/jpeg_bitmap_win.h"
#include "config/model.h"
#include "fake_messages.h"
#include "form_driver.h"
#include "while_shown.h"
#include "menus/icon_directory.h"
#include "win/dpi.h"
#include "win/resource_ids.h"
#include "win/system_message.h"

#include "controls6.h"
#include "driver.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string TempFile(const char* name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

struct ShellCall {
    HWND owner;
    std::string verb, file;
    bool bare;  // no parameters, no directory
    int show;
};

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test program has no resources of its own: the banner and icon come from the program.
        program = LoadLibraryExA(BesideTestProgram("mgoldwk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(program);
        form = TfrmAbout::Create(nullptr, program);
        ASSERT_TRUE(form);
        ui.emplace(*form);
        savedReadme = ReadmeFile, savedHelp = HelpFile;
    }
    void TearDown() override
    {
        form.reset();
        if (program) FreeLibrary(program);
        ReadmeFile = savedReadme, HelpFile = savedHelp;
    }

    // Left, top, width and height in the form's client area.
    using Box = std::array<LONG, 4>;
    Box Place(const char* name) const
    {
        RECT r = ui->Place(name);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    // The shell answers `result` and every call is recorded.
    void FakeShell(INT_PTR result)
    {
        form->Shell = [this, result](HWND owner, const char* verb, const char* file, const char* parameters,
                                     const char* directory, int show) {
            calls.push_back({owner, verb, file, !parameters && !directory, show});
            return reinterpret_cast<HINSTANCE>(result);
        };
    }
    // Keys reach the form's preview only in its own loop: a modal run that releases them
    // on the focused OK button, then presses Esc.
    void ReleaseKeys(std::initializer_list<WPARAM> keys)
    {
        WhileShown([&] {
            for (WPARAM key : keys) ui->QueueKeyUp("BtnOK", key);
            ui->QueueKeyDown("BtnOK", VK_ESCAPE);
        });
        EXPECT_EQ(form->Execute(nullptr), ModalResult::Ok);
    }

    HMODULE program = nullptr;
    std::unique_ptr<TfrmAbout> form;
    std::optional<FormDriver> ui;
    std::vector<ShellCall> calls;
    std::string savedReadme, savedHelp;
};

TEST_F(AboutTest, LayoutFollowsTheTable)
{
    char caption[32] = {};
    GetWindowTextA(form->Handle(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "About");
    EXPECT_TRUE(ui->ClientSize().cx == 490 && ui->ClientSize().cy == 337);
    EXPECT_EQ(Place("PanelBanner"), (Box{0, 0, 490, 105}));
    EXPECT_EQ(Place("MemoCredits"), (Box{8, 144, 185, 49}));
    EXPECT_EQ(Place("ImgIcon"), (Box{217, 144, 57, 49}));
    EXPECT_EQ(Place("BtnGotoHome"), (Box{332, 136, 153, 25}));
    EXPECT_EQ(Place("BtnViewReadme"), (Box{332, 168, 153, 25}));
    EXPECT_EQ(Place("BtnOK"), (Box{67, 304, 355, 25}));
    EXPECT_TRUE(Place("LblVersion")[0] == 8 && Place("LblVersion")[1] == 120);
    EXPECT_TRUE(Place("ImgBanner")[2] == 492 && Place("ImgBanner")[3] == 104);  // the picture's size

    EXPECT_EQ(form->Text(AboutControl::LblVersion), "Marigoldwick v1.05");
    EXPECT_EQ(form->Text(AboutControl::BtnGotoHome), "marigoldwick.example");
    EXPECT_EQ(form->Text(AboutControl::BtnViewReadme), "&View readme.txt");
    EXPECT_EQ(form->Text(AboutControl::BtnOK), "&OK");
    EXPECT_EQ(SendMessageA(ui->Control("MemoCredits"), EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_TRUE(ui->Font("LblVersion").lfWeight == FW_BOLD && ui->Font("LblVersion").lfHeight == -16);
    EXPECT_TRUE(ui->Font("BtnGotoHome").lfUnderline);
    EXPECT_NE(SendMessageA(ui->Control("ImgIcon"), STM_GETICON, 0, 0), 0);
    EXPECT_EQ(GetParent(ui->Control("ImgBanner")), ui->Control("PanelBanner"));
    EXPECT_EQ(SendMessageA(ui->Control("ImgBanner"), STM_GETIMAGE, IMAGE_BITMAP, 0),
              reinterpret_cast<LRESULT>(form->Banner()));
}

TEST_F(AboutTest, TheLinkButtonsHoldTheirPictureAndTextWithinTheirEdges)
{
    // The caption in its font, the 16-pixel picture, a gap and the button's edges.
    for (const char* name : {"BtnGotoHome", "BtnViewReadme"}) {
        HWND button = ui->Control(name);
        std::string caption = ui->Text(name);
        std::erase(caption, '&');
        SIZE extent{};
        ScopedGetDC dc(button);
        ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(button, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
        EXPECT_LE(extent.cx + 16 + 4 + 2 * 6, Place(name)[2]) << name;
    }
}

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Moved to screens of 150 and 200 % scaling, the box shows the banner and icons drawn for them.
TEST_F(AboutTest, PicturesAreTheOnesDrawnForTheFormsDpi)
{
    {
        Controls6 controls6;
        ASSERT_TRUE(controls6.Active());
        ui.reset();
        form = TfrmAbout::Create(nullptr, program);
        ASSERT_TRUE(form);
        ui.emplace(*form);
    }
    auto width = [](HGDIOBJ bitmap) {
        BITMAP bm{};
        return GetObjectA(bitmap, sizeof(bm), &bm) ? static_cast<int>(bm.bmWidth) : 0;
    };
    auto iconSize = [&](HANDLE icon) {
        ICONINFO info{};
        if (!GetIconInfo(static_cast<HICON>(icon), &info)) return 0;
        UniqueGdiObject mask(info.hbmMask), colour(info.hbmColor);
        return width(mask.get());
    };
    auto shown = [&](UINT dpi) {
        RECT suggested{0, 0, 900, 700};
        SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(SendMessageA(ui->Control("ImgBanner"), STM_GETIMAGE, IMAGE_BITMAP, 0),
                  reinterpret_cast<LRESULT>(form->Banner()));
        return std::array<int, 4>{
            width(form->Banner()), static_cast<int>(Place("ImgBanner")[2]),
            iconSize(reinterpret_cast<HANDLE>(SendMessageA(ui->Control("ImgIcon"), STM_GETICON, 0, 0))),
            iconSize(reinterpret_cast<HANDLE>(SendMessageA(ui->Control("BtnGotoHome"), BM_GETIMAGE, IMAGE_ICON, 0)))};
    };
    const UINT first = form->Dpi();
    EXPECT_EQ(shown(144), (std::array<int, 4>{738, 738, 48, 24}));
    EXPECT_EQ(shown(192), (std::array<int, 4>{984, 984, 64, 32}));
    EXPECT_EQ(shown(96), (std::array<int, 4>{492, 492, 32, 16}));
    shown(first);
}

// The program carries its icons at the small and large sizes of 100 to 200 % scaling, and its
// button pictures in strips of 16, 24 and 32 pixel cells.
TEST(ProgramPictures, IconsHoldEverySizeAndGlyphStripsEachScale)
{
    HMODULE program = LoadLibraryExA(BesideTestProgram("mgoldwk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    for (const char* name : {"MAINICON", "ZA1", "ZBRILLE", "ZCD", "ZCOMPUTER", "ZDESKTOP2", "ZERDE", "ZEXEC",
                             "ZFDRCOMP", "ZLINK", "ZNOTEN", "ZNWGLOBE", "ZZAHNRAD", "ZZEICHNEN"}) {
        HRSRC found = FindResourceA(program, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_TRUE(found) << name;
        const char* data = static_cast<const char*>(LockResource(LoadResource(program, found)));
        std::vector<int> sizes;
        for (const IconDirEntry& entry : ParseIconDirectory({data, SizeofResource(program, found)}, true))
            if (entry.width == entry.height) sizes.push_back(entry.width);
        EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64})) << name;
    }
    for (auto [id, size] : {std::pair{IDB_GLYPHS, 16}, std::pair{IDB_GLYPHS_24, 24}, std::pair{IDB_GLYPHS_32, 32}}) {
        UniqueImageList strip(ImageList_LoadImageA(program, MAKEINTRESOURCEA(id), size, 0, RGB(255, 0, 255),
                                                   IMAGE_BITMAP, LR_CREATEDIBSECTION));
        int cx = 0, cy = 0;
        EXPECT_TRUE(strip && ImageList_GetIconSize(strip.get(), &cx, &cy) && cx == size && cy == size) << size;
        EXPECT_EQ(ImageList_GetImageCount(strip.get()), 14) << size;
    }
    FreeLibrary(program);
}

TEST(AboutBanner, DecodesToA492By104ColourBitmapAndDamageGivesNone)
{
    HMODULE program = LoadLibraryExA(BesideTestProgram("mgoldwk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(IDR_BANNER), MAKEINTRESOURCEA(10));
    ASSERT_TRUE(found);
    auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(program, found)));
    std::vector<uint8_t> jpeg(data, data + SizeofResource(program, found));
    FreeLibrary(program);

    UniqueGdiObject bitmap = DecodeJpegBitmap(jpeg);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, 492);
    EXPECT_EQ(dib.dsBm.bmHeight, 104);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(dib.dsBm.bmWidthBytes, 1476);
    // The left edge of the gradient is a deep orange: red well above blue in GDI's BGR order.
    auto* first = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    EXPECT_GT(first[2], first[0] + 100);

    auto damaged = [&](auto change) {
        std::vector<uint8_t> bytes = jpeg;
        change(bytes);
        return DecodeJpegBitmap(bytes) == nullptr;
    };
    EXPECT_TRUE(damaged([](auto& b) { b.clear(); }));
    EXPECT_TRUE(damaged([](auto& b) { b[0] = 0; }));              // no start-of-image marker
    EXPECT_TRUE(damaged([](auto& b) { b.resize(300); }));         // cut before the frame
    EXPECT_TRUE(damaged([](auto& b) { b.assign(5000, 0xFF); }));  // all fill bytes
    EXPECT_TRUE(damaged([](auto& b) {
        for (size_t i = 2; i + 8 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] == 0xC0) b[i + 7] = b[i + 8] = 0;  // width 0 in the frame header
    }));
}

TEST_F(AboutTest, FailedShellCallsShowOneErrorEachWithTheirTexts)
{
    FakeMessages messages;
    ReadmeFile = "C:\\Programs\\Marigoldwick\\readme.txt";
    HelpFile = "C:\\Programs\\Marigoldwick\\mgoldwk.chm";
    FakeShell(2);
    ui->Click("BtnViewReadme");
    ui->Click("BtnGotoHome");
    ReleaseKeys({VK_F2, VK_F1});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].owner == form->Handle() && calls[0].verb == "open" && calls[0].bare);
    EXPECT_TRUE(calls[0].file == ReadmeFile && calls[0].show == SW_SHOWMAXIMIZED);
    EXPECT_TRUE(calls[1].file == "http://marigoldwick.example/" && calls[1].show == SW_SHOWMAXIMIZED);
    EXPECT_TRUE(calls[2].file == HelpFile && calls[2].show == SW_SHOWDEFAULT && calls[2].bare);

    auto error = [&](const char* text) {
        return MessageRequest{.form = MessageForm::StandardDialog,
                              .kind = MessageKind::Error,
                              .owner = form->Handle(),
                              .caption = "Error",
                              .text = text};
    };
    const std::string missing = ":\r" + SystemMessageText(ERROR_FILE_NOT_FOUND) + ".";
    EXPECT_EQ(messages.Asked(), (std::vector{error(("Unable to open " + ReadmeFile + missing).c_str()),
                                             error("Unable to open marigoldwick.example"),
                                             error("Unable to open C:\\Programs\\Marigoldwick\\mgoldwk.chm")}));

    // 32 is still a failure; above it the shell did its work and nothing is said.
    FakeShell(32);
    ui->Click("BtnGotoHome");
    FakeShell(33);
    ui->Click("BtnViewReadme");
    ReleaseKeys({VK_F1});
    EXPECT_EQ(messages.Asked().size(), 4u);
}

TEST_F(AboutTest, RealShellReportsMissingReadmeAndHelpFile)
{
    FakeMessages messages;
    ReadmeFile = TempFile("mgw-about-missing\\readme.txt");
    HelpFile = TempFile("mgw-about-missing\\mgoldwk.chm");
    ui->Click("BtnViewReadme");
    ReleaseKeys({VK_F1});
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[0].text,
              "Unable to open " + ReadmeFile + ":\r" + SystemMessageText(ERROR_FILE_NOT_FOUND) + ".");
    EXPECT_EQ(messages.Asked()[1].text, "Unable to open " + HelpFile);
}

TEST_F(AboutTest, RealShellOpensAReadmeOfAnUnknownTypeInNotepadWithoutABoxOfItsOwn)
{
    FakeMessages messages;
    std::optional<TempFolder> folder = TempFolder::Create();
    ASSERT_TRUE(folder && folder->Write("readme.mgwnoprogram", "notes"));
    ReadmeFile = folder->File("readme.mgwnoprogram");
    ui->Click("BtnViewReadme");
    HWND notepad = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (notepad = FindWindowA("Notepad", "readme.mgwnoprogram - Notepad")); }));
    EXPECT_TRUE(messages.Asked().empty());
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(notepad); }));
}

TEST_F(AboutTest, OkHasTheFocusAndEscEnterCloseBoxEndTheRun)
{
    FakeMessages messages;
    FakeShell(2);
    HWND focus = nullptr;
    bool shownAfterError = false;
    WhileShown([&] {
        focus = GetFocus();
        ui->Click("BtnViewReadme");
        shownAfterError = form->IsShown() && form->InModalLoop();
        ui->QueueKeyDown("BtnOK", VK_ESCAPE);
    });
    EXPECT_EQ(form->Execute(nullptr), ModalResult::Ok);
    EXPECT_EQ(focus, ui->Control("BtnOK"));
    EXPECT_TRUE(shownAfterError);
    EXPECT_EQ(messages.Asked().size(), 1u);
    EXPECT_FALSE(form->IsShown());

    WhileShown([&] { ui->QueueKeyDown("BtnOK", VK_RETURN); });
    EXPECT_EQ(form->Execute(nullptr), ModalResult::Ok);
    WhileShown([&] { ui->QueueClose(); });
    EXPECT_EQ(form->Execute(nullptr), ModalResult::Cancel);
    WhileShown([&] { ui->Click("BtnOK"); });
    EXPECT_EQ(form->Execute(nullptr), ModalResult::Ok);
}

}  // namespace
