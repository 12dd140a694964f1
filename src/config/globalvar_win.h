// Process-wide helpers that need Windows.
#pragma once

#include <windows.h>

// Sets RunningOnNT and ReverseIconOrder from GetVersionExW.
void InitVersionFlags();
#include <string>

// The full path of the running program; empty if the system cannot tell.
std::string OwnModulePath();
// True for an existing file; folders do not count.
bool IsExistingFile(const std::string& path);
// Icon paths may hold environment variables ("%SystemRoot%\system32\shell32.dll"): this
// expands them first, as the shell does.
// How many icons the file holds (ExtractIconExW with index -1); 0 for none or no file.
int IconCountOf(const std::string& path);
