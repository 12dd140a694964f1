// The system calls the settings window makes where no test replaces them.
#pragma once

#include "settings/konfig_shared_win.h"

#include <string>

// The shell's "open", the file dialog for programs, the folder dialog and the icon picker.
KonfigSystem SystemCalls();

// The shell's folder dialog, starting at `folder`; true with the chosen folder in it.
bool ShellBrowseForFolder(HWND owner, std::string& folder);
