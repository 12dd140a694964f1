// Reading a shortcut file as it is stored: what it points at and how it starts it.
#pragma once

#include "shell/idlist_win.h"

#include <cstdint>
#include <string>

struct ShellLinkInfo {
    std::string Path;         // empty when the target has no file-system path
    std::string IconPath;     // empty when the link has no icon of its own
    int32_t IconIndex = -99;  // -99 (the default icon) whenever IconPath is empty
    std::string Arguments;
    std::string Description;
    uint16_t ShowCmd = 0;
    ShellIdList IDList;       // the target's absolute list
};

// False when no link object can be made or the file cannot be loaded as a link; then
// nothing in `info` may be relied upon. The moved target is not searched for.
[[nodiscard]] bool ResolveShellLink(const std::string& linkFile, ShellLinkInfo& info);
