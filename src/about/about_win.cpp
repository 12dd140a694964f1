#include "about/about_win.h"

#include "about/jpeg_bitmap_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "launch/launch_rules.h"
#include "win/dpi.h"
#include "win/message_seam.h"
#include "win/resource_ids.h"
#include "win/system_font.h"
#include "win/system_message.h"
#include "win/text_conversion.h"

#include "version.h"

#include <shellapi.h>

#include <array>
#include <optional>
#include <string>

namespace {

using namespace FormStyle;
using C = AboutControl;

constexpr int ClientWidth = 490;
constexpr int ClientHeight = 337;

constexpr EventRow<TfrmAbout, C> Events[] = {
    {C::BtnGotoHome, BN_CLICKED, &TfrmAbout::BtnGotoHomeClick},
    {C::BtnViewReadme, BN_CLICKED, &TfrmAbout::BtnViewReadmeClick},
    {C::BtnOK, BN_CLICKED, &TfrmAbout::BtnOKClick},
};

// In tab order; only the buttons take the focus. The banner picture is placed over its
// panel like any control, and Create makes it the panel's child so the bevel clips it.
constexpr ControlRow<C> Controls[] = {
    {C::PanelBanner, "PanelBanner", "STATIC", "", 0, 0, ClientWidth, 105, WS_VISIBLE | WS_CLIPCHILDREN | SS_SUNKEN,
     WS_EX_STATICEDGE},
    {C::ImgBanner, "ImgBanner", "STATIC", "", 0, 0, 492, 104, WS_VISIBLE | SS_BITMAP, 0, C::PanelBanner},
    {C::LblVersion, "LblVersion", "STATIC", "Marigoldwick v" MGW_VERSION_TEXT, 8, 120, 200, 19, WS_VISIBLE | SS_NOPREFIX},
    {C::MemoCredits, "MemoCredits", "EDIT", "Marigoldwick program launcher\r\nby the Marigoldwick team\r\nUses libjpeg-turbo", 8, 144,
     185, 49, WS_VISIBLE | ES_MULTILINE | ES_READONLY},
    {C::ImgIcon, "ImgIcon", "STATIC", "", 217, 144, 57, 49, WS_VISIBLE | SS_ICON | SS_CENTERIMAGE},
    // Wide enough for the host name beside its globe, with the button's margins.
    {C::BtnGotoHome, "BtnGotoHome", "BUTTON", HomePageHost, 332, 136, 153, 25, Button | WS_GROUP},
    {C::BtnViewReadme, "BtnViewReadme", "BUTTON", "&View readme.txt", 332, 168, 153, 25, Button},
    {C::BtnOK, "BtnOK", "BUTTON", "&OK", 67, 304, 355, 25, Button | BS_DEFPUSHBUTTON},
};
static_assert(WellFormedTable(Controls));

// The banner drawn for `dpi`; the 100 % one from resources that lack the larger ones.
UniqueGdiObject LoadBanner(HMODULE module, UINT dpi)
{
    constexpr int Banners[] = {IDR_BANNER, IDR_BANNER_150, IDR_BANNER_200};
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(Banners[PictureScaleStep(dpi)]), MAKEINTRESOURCEW(10));
    if (!found) found = FindResourceW(module, MAKEINTRESOURCEW(IDR_BANNER), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return DecodeJpegBitmap({static_cast<const uint8_t*>(data), SizeofResource(module, found)});
}

UniqueIcon LoadIconSized(HMODULE module, const wchar_t* name, int size)
{
    return UniqueIcon(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, 0)));
}

// The UTF-8 texts of the replaceable shell call, handed to the wide one; null stays null.
// Without SEE_MASK_FLAG_NO_UI the shell shows a modal error box of its own before ours.
HINSTANCE ShellExecuteUtf8(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show)
{
    auto wide = [](const char* text) { return text ? std::optional<std::wstring>(Wide(text)) : std::nullopt; };
    auto pointer = [](const std::optional<std::wstring>& text) { return text ? text->c_str() : nullptr; };
    const auto w = std::array{wide(verb), wide(file), wide(parameters), wide(directory)};
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = pointer(w[0]);
    info.lpFile = pointer(w[1]);
    info.lpParameters = pointer(w[2]);
    info.lpDirectory = pointer(w[3]);
    info.nShow = show;
    const bool started = ShellExecuteExW(&info);
    // A start that left hInstApp unset still counts as the success it was.
    if (started && reinterpret_cast<INT_PTR>(info.hInstApp) <= 32) return reinterpret_cast<HINSTANCE>(33);
    return info.hInstApp;
}

std::string NotepadPath()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (!length || length >= MAX_PATH) return "notepad.exe";
    return Utf8(std::wstring_view(folder, length)) + "\\notepad.exe";
}

// Why the shell could not open something, in the system's words.
std::string ShellFailureText(HINSTANCE result)
{
    return SystemMessageText(SystemCodeOfShellResult(reinterpret_cast<INT_PTR>(result)));
}

bool Failed(HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) <= 32; }

}  // namespace

std::unique_ptr<TfrmAbout> TfrmAbout::Create(HWND owner, HMODULE resources)
{
    if (!resources) resources = GetModuleHandleW(nullptr);
    const FormDesign<TfrmAbout, C> design{
        {"TfrmAbout", "About", ClientWidth, ClientHeight}, Controls, Events, C::BtnOK, C::BtnOK, C::BtnOK};
    auto form = Build(owner, design);
    if (!form) return nullptr;

    HWND panel = form->Control(C::PanelBanner);
    HWND picture = form->Control(C::ImgBanner);
    SetParent(picture, panel);
    SetWindowPos(picture, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    form->resources_ = resources;
    form->SetPictures();

    form->SetControlFont(C::LblVersion, 16, FW_BOLD);
    form->SetControlFont(C::BtnGotoHome, DesignedMessagePixels, FW_NORMAL, true);
    form->Shell = ShellExecuteUtf8;
    return form;
}

void TfrmAbout::SetPictures()
{
    const UINT dpi = Dpi();
    // Each picture is handed over before the one it replaces goes.
    auto show = [](HWND control, UINT message, WPARAM type, auto& keep, auto picture) {
        SendMessageW(control, message, type, reinterpret_cast<LPARAM>(picture.get()));
        keep = std::move(picture);
    };
    // A damaged picture leaves the banner empty; the dialog works without it.
    show(Control(C::ImgBanner), STM_SETIMAGE, IMAGE_BITMAP, banner_, LoadBanner(resources_, dpi));
    UniqueIcon icon = LoadIconSized(resources_, L"MAINICON", ScaleByDpi(32, dpi));
    SendMessageW(Control(C::ImgIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    icon_ = std::move(icon);
    // With common controls 6 (the program's manifest) a button shows its image beside the
    // caption; older buttons keep the caption alone. The program's own globe and glasses
    // look the same everywhere, unlike shell32's numbering.
    show(Control(C::BtnGotoHome), BM_SETIMAGE, IMAGE_ICON, homeGlyph_,
         LoadIconSized(resources_, L"ZNWGLOBE", ScaleByDpi(16, dpi)));
    show(Control(C::BtnViewReadme), BM_SETIMAGE, IMAGE_ICON, readmeGlyph_,
         LoadIconSized(resources_, L"ZBRILLE", ScaleByDpi(16, dpi)));
}

void TfrmAbout::BtnViewReadmeClick()
{
    if (!Shell) return;
    const HINSTANCE opened = Shell(Handle(), "open", ReadmeFile.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    if (!Failed(opened)) return;
    std::string reason = ShellFailureText(opened);
    // A missing readme is the cause itself; any other failure (mostly no program for .txt
    // files) leaves Notepad, which every Windows has.
    const INT_PTR code = reinterpret_cast<INT_PTR>(opened);
    if (code != SE_ERR_FNF && code != SE_ERR_PNF) {
        const std::string notepad = NotepadPath();
        const std::string quoted = "\"" + ReadmeFile + "\"";
        const HINSTANCE byNotepad = Shell(Handle(), "open", notepad.c_str(), quoted.c_str(), nullptr, SW_SHOWMAXIMIZED);
        if (!Failed(byNotepad)) return;
        reason += ".\rNotepad could not be started either: " + ShellFailureText(byNotepad);
    }
    ShowMessageDialog(Handle(), "Unable to open " + ReadmeFile + ":\r" + reason + ".", MessageKind::Error,
                      MessageButtons::Ok);
}

void TfrmAbout::BtnGotoHomeClick()
{
    if (Shell && Failed(Shell(Handle(), "open", HomePageAddress, nullptr, nullptr, SW_SHOWMAXIMIZED)))
        ShowMessageDialog(Handle(), std::string("Unable to open ") + HomePageHost, MessageKind::Error,
                          MessageButtons::Ok);
}

void TfrmAbout::BtnOKClick() { EndModal(ModalResult::Ok); }

void TfrmAbout::FormKeyUp(WPARAM key)
{
    if (key != VK_F1 || !Shell) return;
    if (Failed(Shell(Handle(), "open", HelpFile.c_str(), nullptr, nullptr, SW_SHOWDEFAULT)))
        ShowMessageDialog(Handle(), "Unable to open " + HelpFile, MessageKind::Error, MessageButtons::Ok);
}

LRESULT TfrmAbout::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    return Form::HandleMessage(msg, wParam, lParam);
}
