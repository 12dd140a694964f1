// Process-wide helpers that need Windows.
#pragma once

#include <windows.h>

// Sets RunningOnNT and ReverseIconOrder from GetVersionExA.
void InitVersionFlags();
// Enables or disables every control inside `container`, depth first; the container
// itself keeps its state.
void SetControlsEnabled(HWND container, bool enabled);
