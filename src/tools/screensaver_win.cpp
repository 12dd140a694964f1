// The Screensaver submenu of the tools menu.
#include "tools/tools_menu_win.h"

#include "tools/screensaver_rules.h"
#include "tools/system_actions_win.h"
#include "win/application.h"
#include "win/message_seam.h"

#include <string>

namespace {

void Notice(const std::string& text) { ShowMessageDialog(MainWindow(), text, MessageKind::None, MessageButtons::Ok); }

std::string ProfileString(const std::string& profile, const char* section, const char* key)
{
    char value[MAX_PATH] = {};
    DWORD n = GetPrivateProfileStringA(section, key, "", value, sizeof(value), profile.c_str());
    return std::string(value, n);
}

}  // namespace

void ToolsMenu::TPMStartScreensaver1Click() { System().StartScreenSaver(); }

void ToolsMenu::TPMSelectscreensaver1Click() { System().RunCommandLine(SelectScreensaverCommand, SW_SHOW); }

void ToolsMenu::TPMEnableScreensaver1Click() { System().SetScreenSaveActive(true); }

void ToolsMenu::TPMDisableScreensaver1Click() { System().SetScreenSaveActive(false); }

void ToolsMenu::TPMConfigureScreensaver1Click()
{
    std::string prefix = DirectoryPrefix(System().WindowsDirectory());
    std::string profile = SystemIniPath(prefix);
    if (GetFileAttributesA(profile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Notice(ProfileNotFoundText(profile));
        return;
    }
    std::string value = ProfileString(profile, "boot", "SCRNSAVE.EXE");
    // The NT family keeps the choice in the user's settings; system.ini has it only
    // on Windows 9x.
    if (value.empty()) value = System().UserScreenSaver();
    std::optional<std::string> command = ScreensaverConfigureCommand(value, prefix);
    if (!command) {
        Notice(NoScreensaverText);
        return;
    }
    std::string failure = WinExecErrorText(System().RunCommandLine(*command, SW_SHOW));
    if (!failure.empty()) Notice(failure);
}
