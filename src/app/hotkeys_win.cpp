#include "app/hotkeys_win.h"

#include "app/tray_rules.h"
#include "config/model.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/system_message.h"

#include <string>
#include <vector>

namespace {

// What is registered, so that a hotkey refused at registration is not "unregistered"
// later with a second, spurious error.
struct Registered {
    HWND window = nullptr;
    std::vector<int> ids;
};
Registered Hotkeys;

void Register(int id, uint16_t hotkey, const std::string& name)
{
    if (hotkey == 0) return;
    HotkeyRegistration keys = HotkeyRegistrationFor(hotkey);
    if (RegisterHotKey(Hotkeys.window, id, keys.modifiers, keys.keyCode)) {
        Hotkeys.ids.push_back(id);
    } else {
        ShowMessageBox(Hotkeys.window,
                       "Unable to register hotkey for '" + name + "'.\rMaybe it's already used by another application.",
                       ProgramTitle, MB_ICONERROR);
    }
}

}  // namespace

void RegisterHotkeys()
{
    UnregisterHotkeys();
    HWND main = MainWindow();
    if (!main) return;
    Hotkeys.window = main;
    for (size_t i = 0; i < MenuList.size() && i <= 255; ++i)
        Register(static_cast<int>(i), MenuList[i]->Hotkey, MenuList[i]->MenuName);
    Register(QuickLaunchHotkeyId, Konfig.QuickLaunchHotkey, QuickLaunchHotkeyName);
}

void UnregisterHotkeys()
{
    Registered registered = std::move(Hotkeys);
    Hotkeys = {};
    // A destroyed window took its hotkeys with it.
    if (!registered.window || !IsWindow(registered.window)) return;
    for (int id : registered.ids) {
        if (!UnregisterHotKey(registered.window, id))
            ShowMessageBox(registered.window, SystemMessageText(GetLastError()), "Marigoldwick - Hotkey Error",
                           MB_ICONERROR);
    }
}
