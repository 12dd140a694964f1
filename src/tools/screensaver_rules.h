// Finding the current screen saver and the command line that opens its settings,
// without any Windows call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The Windows directory ending in exactly one backslash.
std::string DirectoryPrefix(std::string_view windowsDirectory);
// "<prefix>system.ini".
std::string SystemIniPath(std::string_view prefix);
// "<path> not found.".
std::string ProfileNotFoundText(std::string_view profilePath);

// "<program> /c", where a bare file name is taken from the Windows directory. The
// program is not quoted: a path with blanks fails as the system sees fit. Nothing for
// an empty value, which means no screen saver is set.
std::optional<std::string> ScreensaverConfigureCommand(std::string_view value, std::string_view prefix);

// The message for a WinExec result; empty when it succeeded (32 and up).
std::string WinExecErrorText(uint32_t result);

inline constexpr char NoScreensaverText[] =
    "Screensaver entry not found in system.ini. Seems like no screensaver is set.";
inline constexpr char SelectScreensaverCommand[] = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";
