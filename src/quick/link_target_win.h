// What a shortcut starts, read without resolving it: no search for a moved target and
// never a window, since the catalog's worker reads thousands of them.
#pragma once

#include "win/handles.h"

#include <optional>
#include <string>

// The text with its %VARIABLES% expanded, or as it is when that fails.
std::wstring ExpandedText(const std::wstring& text);

// One link object serves every file (making one costs more than loading a file into it);
// a second answer equal to the one before is checked on a fresh object, so nothing left
// over from the last file is ever taken for this one's. Used on one thread, in COM.
class LinkTargets {
public:
    // The target's path, variables expanded; empty when the shortcut cannot be read or
    // starts no file (a shell item, an advertised shortcut).
    std::string Target(const std::wstring& linkFile);

private:
    std::optional<std::wstring> Read(const std::wstring& linkFile);

    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
    std::wstring last_;
};
