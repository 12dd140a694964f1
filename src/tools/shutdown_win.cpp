// The Misc, Network and Reboot submenus of the tools menu.
#include "tools/tools_menu_win.h"

#include "tools/system_actions_win.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/system_message.h"

#include <winnetwk.h>

#include <string>

namespace {

constexpr char ForceShutdownQuestion[] =
    "Really force windows to shutdown ?  This can cause the running applications to loose data !";

void ReportNetworkFailure(HWND owner, const NetworkDialogResult& outcome)
{
    if (outcome.result == NO_ERROR) return;
    // Cancelling the dialog leaves one of these: not a failure worth a word.
    if (outcome.lastError == 0 || outcome.lastError == ERROR_CANCELLED) return;
    ShowMessageBox(owner, SystemMessageText(outcome.lastError), "Marigoldwick - Network Error", MB_ICONERROR | MB_OK);
}

// A dialog this system lacks (or only pretends to have) opens nothing: say so.
void ReportNotAvailable(HWND owner, const char* what)
{
    ShowMessageBox(owner, std::string(what) + " is not available on this system.", ProgramTitle,
                   MB_ICONINFORMATION | MB_OK);
}

}  // namespace

void ToolsMenu::TPMRun1Click()
{
    if (!System().RunDialog(host_.owner, host_.appIcon)) ReportNotAvailable(host_.owner, "Run");
}

void ToolsMenu::TPMAddNetworkdrive1Click()
{
    ReportNetworkFailure(host_.owner, System().ConnectionDialog(host_.owner, RESOURCETYPE_DISK));
}

void ToolsMenu::TPMRemoveNetworkDrive1Click()
{
    ReportNetworkFailure(host_.owner, System().DisconnectDialog(host_.owner, RESOURCETYPE_DISK));
}

void ToolsMenu::TPMFindComputer1Click()
{
    if (!System().FindComputer()) ReportNotAvailable(host_.owner, "Find Computer");
}

void ToolsMenu::TPMReboot2Click() { System().ExitWindowsWith(EWX_REBOOT); }

void ToolsMenu::TPMShutdown1Click() { System().ExitWindowsWith(EWX_SHUTDOWN); }

void ToolsMenu::TPMLogOff1Click() { System().ExitWindowsWith(EWX_LOGOFF); }

void ToolsMenu::TPMForceShutdown1Click()
{
    if (ShowMessageBox(host_.owner, ForceShutdownQuestion, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
        return;
    System().ExitWindowsWith(EWX_SHUTDOWN | EWX_FORCE);
}
