// The Screensaver submenu of the tools menu.
#include "tools/tools_menu_win.h"

#include "tools/screensaver_rules.h"
#include "tools/system_actions_win.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <string>

namespace {

void Notice(const std::string& text) { ShowMessageDialog(MainWindow(), text, MessageKind::None, MessageButtons::Ok); }

std::string ProfileString(const std::string& profile, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetPrivateProfileStringW(section, key, L"", value, MAX_PATH, Wide(profile).c_str());
    return Utf8(std::wstring_view(value, n));
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
    if (GetFileAttributesW(Wide(profile).c_str()) == INVALID_FILE_ATTRIBUTES) {
        Notice(ProfileNotFoundText(profile));
        return;
    }
    std::string value = ProfileString(profile, L"boot", L"SCRNSAVE.EXE");
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
