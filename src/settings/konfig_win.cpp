// Stand-in for the settings window: the window itself with its OK and Quit buttons.
#include "settings/konfig_win.h"

#include "config/config_win.h"
#include "config/model.h"
#include "win/application.h"
#include "win/message_seam.h"

#include <array>

namespace {

constexpr DWORD Button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD Group = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;

constexpr ControlRow Controls[] = {
    {"GroupBoxMenus", "BUTTON", "Menus", 7, 8, 505, 97, Group},
    {"GroupBoxItemsEdit", "BUTTON", "Items", 7, 112, 505, 313, Group},
    {"BtnOK", "BUTTON", "&OK - Minimize", 8, 439, 145, 26, Button, 0, nullptr, ControlFont::Bold},
    {"BtnQuit", "BUTTON", "&Quit", 437, 439, 75, 26, Button},
};

constexpr std::array<EventRow<TfrmKonfig>, 2> Events{{
    {"BtnOK", BN_CLICKED, &TfrmKonfig::BtnOKClick},
    {"BtnQuit", BN_CLICKED, &TfrmKonfig::BtnQuitClick},
}};

}  // namespace

std::unique_ptr<TfrmKonfig> TfrmKonfig::Create(HWND owner, std::function<bool()> shutdownPending)
{
    auto form = std::make_unique<TfrmKonfig>(Key{});
    form->shutdownPending_ = std::move(shutdownPending);
    FormSpec layout{"TfrmKonfig", "Marigoldwick - Settings", 518, 471};
    layout.owner = owner;
    if (!form->CreateForm(layout) || !form->CreateControls(Controls)) return nullptr;
    form->BindEvents<TfrmKonfig>(form.get(), Events);
    return form;
}

void TfrmKonfig::ShowTaskbarButton(bool shown)
{
    if (!Handle()) return;
    LONG_PTR ex = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
    ex = shown ? (ex | WS_EX_APPWINDOW) : (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex);
}

void TfrmKonfig::BtnOKClick()
{
    if (MenuList.empty()) {
        ShowMessageBox(Handle(), "You need to create at least one menu.", "Marigoldwick", MB_ICONWARNING);
        return;
    }
    SetFocus(Handle());
    if (!SaveConfig())
        ShowMessageBox(Handle(), "Error saving configuration data.", "Marigoldwick", MB_ICONERROR);
    EndModal(ModalResult::Ok);
}

void TfrmKonfig::BtnQuitClick()
{
    bool shuttingDown = shutdownPending_ && shutdownPending_();
    if (Konfig.AskBeforeQuit && !shuttingDown &&
        ShowMessageBox(Handle(), "Really quit Marigoldwick ?\rConfiguration changes will get lost.", "Confirm",
                       MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
        return;
    TerminateApplication();
}
