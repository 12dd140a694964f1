// Real shell objects for the drag-and-drop tests: shortcuts, data objects for files in
// a folder or with hand-made blocks, and a drop source for DoDragDrop.
#pragma once

#include "shell/idlist_win.h"

#include <map>
#include <string>
#include <vector>

bool RunningUnderWine();

struct LinkShape {
    std::string target;               // a path, or empty with `targetList`
    const ITEMIDLIST* targetList = nullptr;
    std::string arguments;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
    int showCmd = SW_SHOWNORMAL;
};
[[nodiscard]] bool MakeLink(const std::string& file, const LinkShape& link);

// The absolute list of a path, or null.
ShellIdList AbsoluteList(const std::string& path);
std::string ListBytes(const ShellIdList& list);

// What the shell's file manager offers when `names` inside `folder` are dragged.
ComPtr<IDataObject> ShellDataObject(const std::string& folder, const std::vector<std::string>& names);
// The same for items of the desktop's own namespace (My Computer, say).
ComPtr<IDataObject> DesktopDataObject(const std::vector<const ITEMIDLIST*>& items);

// Puts each format on the clipboard as a global block of exactly those bytes.
[[nodiscard]] bool PutOnClipboard(HWND owner, const std::map<UINT, std::string>& blocks);
// The same blocks offered by the system's data object for the clipboard.
ComPtr<IDataObject> BlockDataObject(HWND owner, const std::map<UINT, std::string>& blocks);

// Answers QueryContinueDrag with a drop after `polls` calls and records the calls.
ComPtr<IDropSource> CountingDropSource(int polls, int* continued);

// The "Shell IDList Array" block for these lists (parent first).
std::string IdListArrayBlock(const std::vector<std::string>& lists);
