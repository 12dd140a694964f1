#include "config/globalvar_win.h"

#include "config/model.h"

void InitVersionFlags()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 148
    if (!GetVersionExA(&info)) return;
    VersionFlags flags = VersionFlagsFrom(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    RunningOnNT = flags.RunningOnNT;
    ReverseIconOrder = flags.ReverseIconOrder;
}

void SetControlsEnabled(HWND container, bool enabled)
{
    for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindow(child, GW_CHILD)) SetControlsEnabled(child, enabled);
        EnableWindow(child, enabled);
    }
}
