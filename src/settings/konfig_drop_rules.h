// How a file dropped on the settings window is named: rules that need no window. The
// system's case mapping is passed in, the 8-bit code page being the system's business.
#pragma once

#include <functional>
#include <string>
#include <string_view>

using CaseMap = std::function<std::string(std::string)>;

// Empty or only blanks and control characters.
bool IsBlankText(std::string_view text);

// ".LNK" and ".PIF" files are shortcuts (the path is upper-cased already).
bool IsShortcutFile(std::string_view upperPath);

struct PlainFileNames {
    std::string pfad;
    std::string iconPfad;
    std::string description;
};
// The text with its first character (a whole code point) mapped by `upper`.
std::string WithFirstRaised(std::string text, const CaseMap& upper);
// A plain file keeps its upper-cased path; a program is its own icon file; the
// description is the lower-cased name without extension, its first character raised.
PlainFileNames NamePlainFile(std::string_view upperPath, const CaseMap& lower, const CaseMap& upper);

// A shortcut without an icon of its own to a program shows the program's icon.
std::string ShortcutIconPfad(std::string_view iconLocation, std::string_view targetPath);
// The shortcut's comment, or else its displayed file name without the extension.
std::string ShortcutDescription(std::string_view linkDescription, std::string_view displayName);
