// The program's own notification icon (the program icon, tip "Marigoldwick"), shown while
// no menu icon is: before the first menu exists and while the settings window is open,
// so the program can always be reached from the notification area.
#pragma once

#include "win/tray_icon.h"

#include <windows.h>

class OwnIcon {
public:
    // Adds the icon at the small-icon size for `dpi`, or removes it.
    void Show(bool shown, UINT dpi);
    bool Shown() const { return icon_.Added(); }
    // A new picture for `dpi`; added again when the notification area was recreated.
    void Remake(UINT dpi, bool addAgain);

private:
    TrayIcon icon_;
};
