// Dots per inch of windows and the screen. The forms' tables and the menus' sizes are
// given at 96 DPI and scaled by the DPI of the window they appear in. The functions
// that tell a window's own DPI are new to Windows 10: on older systems (and where Wine
// lacks them) every window has the screen's DPI.
#pragma once

#include <windows.h>

inline constexpr UINT BaseDpi = 96;

// The screen's DPI, as the desktop's device context reports it.
UINT ScreenDpi();
// The DPI of the screen the window is on (per-monitor aware), else the screen's.
UINT WindowDpi(HWND window);
// A length given at 96 DPI, at `dpi`, rounded to the nearest pixel.
inline int ScaleByDpi(int value, UINT dpi)
{
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(BaseDpi));
}
// Of pictures drawn for 100, 150 and 200 % scaling (0, 1, 2), the one for `dpi`: the
// largest not larger than the DPI asks for, so none is shrunk into a blur.
inline int PictureScaleStep(UINT dpi) { return dpi >= 2 * BaseDpi ? 2 : dpi >= 3 * BaseDpi / 2 ? 1 : 0; }
// GetSystemMetrics for that DPI where the system can say, else for the screen.
int SystemMetricForDpi(int index, UINT dpi);

// WM_DPICHANGED: the headers hide it at the Windows version the build targets.
inline constexpr UINT WmDpiChanged = 0x02E0;
