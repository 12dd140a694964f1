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

}  // namespace

void RegisterHotkeys()
{
    UnregisterHotkeys();
    HWND main = MainWindow();
    if (!main) return;
    Hotkeys.window = main;
    for (size_t i = 0; i < MenuList.size() && i <= 255; ++i) {
        const TOneMenu& menu = *MenuList[i];
        if (menu.Hotkey == 0) continue;
        HotkeyRegistration keys = HotkeyRegistrationFor(menu.Hotkey);
        if (RegisterHotKey(main, static_cast<int>(i), keys.modifiers, keys.keyCode)) {
            Hotkeys.ids.push_back(static_cast<int>(i));
        } else {
            ShowMessageBox(main,
                           "Unable to register hotkey for '" + menu.MenuName +
                               "'.\rMaybe it's already used by another application.",
                           ProgramTitle, MB_ICONERROR);
        }
    }
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
