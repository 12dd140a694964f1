// Live item identifier lists: allocation with the shell allocator, the byte string
// kept in the model, and what the shell says about a list (folder, name, icon).
#pragma once

#include "shell/idlist_bytes.h"
#include "win/handles.h"

#include <memory>
#include <string>
#include <string_view>

// Frees a list (or any shell-allocated block) with the shell allocator; null is ignored.
void IdListFree(void* list) noexcept;

struct IdListDeleter {
    void operator()(ITEMIDLIST* list) const noexcept { IdListFree(list); }
};
// A list made here and owned by the caller.
using ShellIdList = std::unique_ptr<ITEMIDLIST, IdListDeleter>;

// A zero-filled block of `size` bytes from the shell allocator, or null.
[[nodiscard]] ShellIdList IdListAlloc(size_t size);

// The bytes of a well-formed list, terminator included; empty for null.
std::string IdListToBytes(const ITEMIDLIST* list);
// A shell-allocated copy of the bytes, or null when they are not exactly one complete
// list (such bytes must never reach the shell) or the allocation failed.
[[nodiscard]] ShellIdList IdListFromBytes(std::string_view bytes);

// The byte walks of idlist_bytes.h on a live list.
const ITEMIDLIST* IdListNext(const ITEMIDLIST* element);
size_t IdListSize(const ITEMIDLIST* list);
size_t IdListCount(const ITEMIDLIST* list);
const ITEMIDLIST* IdListLast(const ITEMIDLIST* list);

struct ParentFolder {
    ComPtr<IShellFolder> folder;  // null when the shell could not bind to it
    ITEMIDLIST* last = nullptr;   // the list's last element, inside the caller's list
};
// The folder holding the item of an absolute list. The list is cut short in place
// while the shell binds to the parent, so it must be writable and not shared.
[[nodiscard]] ParentFolder GetParentFolder(ITEMIDLIST* list);

// Name of `list` (relative to `folder`); empty when the shell cannot name it.
std::string GetDisplayNameInFolder(IShellFolder* folder, const ITEMIDLIST* list, bool forParsing);
// Name of an absolute list, asked from the folder that holds the item.
std::string GetIdListDisplayName(ITEMIDLIST* list, bool inFolder, bool forAddressBar, bool forParsing);

// The item's icon, owned by the caller; null when the shell has none.
[[nodiscard]] UniqueIcon GetIdListIcon(const ITEMIDLIST* list, bool large, bool open);
