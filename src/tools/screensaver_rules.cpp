#include "tools/screensaver_rules.h"

std::string DirectoryPrefix(std::string_view windowsDirectory)
{
    std::string prefix(windowsDirectory);
    if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
    return prefix;
}

std::string SystemIniPath(std::string_view prefix) { return std::string(prefix) + "system.ini"; }

std::string ProfileNotFoundText(std::string_view profilePath) { return std::string(profilePath) + " not found."; }

std::optional<std::string> ScreensaverConfigureCommand(std::string_view value, std::string_view prefix)
{
    if (value.empty()) return std::nullopt;
    std::string program(value);
    // A drive-only prefix ("D:saver.scr") already names where the file is.
    if (value.find_first_of("\\:") == std::string_view::npos) program = std::string(prefix) + program;
    return program + " /c";
}

std::string WinExecErrorText(uint32_t result)
{
    switch (result) {
    case 0: return "The system is out of memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 11: return "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
    default: return result < 32 ? "Error executing screensaver." : std::string();
    }
}
