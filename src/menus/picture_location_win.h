// Where an entry's picture comes from: a file and icon number, the shell's system image
// lists, or nothing; read from the entry, its file's type and the registry, on any thread.
#pragma once

#include "menus/entry_icon_rules.h"

#include <windows.h>

#include <string>

DWORD Attributes(const std::string& path);
bool IsFolder(DWORD attributes);
bool IsFile(DWORD attributes);

// The shell's generic program and document pictures, asked once.
const GenericPictures& Generic();

// The picture `request` shows; the entries with equal answers share one picture.
PictureLocation ResolveSource(const EntryIconRequest& request);
