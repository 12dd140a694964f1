// Rules of starting an entry that need no Windows call: the texts of a failed start.
// The working directory handed to the shell is the entry's folder (shell/path_text.h).
#pragma once

#include "shell/path_text.h"

#include <cstdint>
#include <string>
#include <string_view>

// The folder an entry is started in. A program or document starts in its own folder; a
// folder entry opens in itself: the folder above it is nobody's working folder.
std::string StartFolderOf(std::string_view path, bool isFolder);
// The entry's own working directory when it has one (already expanded), else the above.
std::string StartFolderOf(std::string_view workingDir, std::string_view path, bool isFolder);

// The message for a ShellExecuteA result of 32 or less.
std::string LaunchErrorText(intptr_t result);

// The system error code for a shell result of 32 or less (SE_ERR_*), for a failed
// start that left no error code of its own.
uint32_t SystemCodeOfShellResult(intptr_t result);

// The text of the box that reports a failed start.
std::string LaunchFailureText(std::string_view description, std::string_view reason);

// Reason given for a shell-item entry whose stored bytes are not one complete
// identifier list: such bytes are never handed to the shell.
inline constexpr char DamagedShellItemText[] = "The stored shell item is damaged.";
