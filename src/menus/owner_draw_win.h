// Stand-in for the owner-drawn popup entries until their full drawing exists: the size
// the entries need and their description, so the menus stay usable.
#pragma once

#include <windows.h>

// Both answer only for entries of menu activeMenu's popup; false otherwise.
bool MeasureMenuEntry(MEASUREITEMSTRUCT& measure, int activeMenu);
bool DrawMenuEntry(const DRAWITEMSTRUCT& draw, int activeMenu);
