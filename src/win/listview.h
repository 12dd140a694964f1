// List-view control calls a form makes on its lists: selection, item count, pictures.
#pragma once

#include "win/handles.h"

#include <cstddef>

// The selected entry, -1 unless exactly one is selected.
int ListViewSelectedIndex(HWND list);
// Selects entry `index` alone (none for -1) and scrolls it into view.
void ListViewSelect(HWND list, int index);
void ListViewEnsureVisible(HWND list, int index);
// Appends an entry with its text and picture.
void ListViewAddItem(HWND list, const char* text, int image);
// The number of entries of an owner-data list, which asks for each as it draws. An icon
// view is arranged anew, so that every entry has a place of its own.
void ListViewSetItemCount(HWND list, size_t count);
// Shows `images` as the list's pictures of `kind` (LVSIL_*); null detaches them.
void ListViewSetImageList(HWND list, int kind, HIMAGELIST images);
// Answers an LVN_KEYDOWN: a key that moves the selection brings the focused entry into
// view even when it stays where it is.
void ListViewShowFocusedOnKey(const NMHDR& header);
// An LVN_ITEMCHANGED notification that changed whether an entry is selected.
bool ListViewSelectionChanged(const NMHDR& header);
// A list (LVS_LIST) with columns as wide as its widest entry and picture, not the fixed
// width the control starts with: more entries fit side by side.
void ListViewFitListColumns(HWND list);
// An icon view in `columns` columns across its client area, each row as tall as a picture
// of `pictureSize` with two lines of the list's font below: more entries in sight.
void ListViewSetIconColumns(HWND list, int columns, int pictureSize);
