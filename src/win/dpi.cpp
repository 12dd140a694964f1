#include "win/dpi.h"

#include "win/handles.h"
#include "win/system_function.h"

UINT ScreenDpi()
{
    ScopedGetDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : BaseDpi;
}

UINT WindowDpi(HWND window)
{
    static SystemFunction getDpiForWindow = SystemFunction::ByName("user32.dll", "GetDpiForWindow");
    if (window) {
        if (auto dpi = getDpiForWindow.Call<UINT(WINAPI*)(HWND)>(window); dpi && *dpi > 0) return *dpi;
    }
    return ScreenDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    static SystemFunction forDpi = SystemFunction::ByName("user32.dll", "GetSystemMetricsForDpi");
    if (auto value = forDpi.Call<int(WINAPI*)(int, UINT)>(index, dpi)) return *value;
    return GetSystemMetrics(index);
}
