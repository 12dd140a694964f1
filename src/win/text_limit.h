// An edit that takes at most so many characters, a pair of surrogates counting as one.
#pragma once

#include <windows.h>

#include <functional>

// Sets the edit's own limit to room for that many pairs and gives the handler of its
// EN_CHANGE that cuts what goes beyond the characters: just before the caret, where it
// came in, and never half a pair (the edit's own limit counts UTF-16 units and would keep one).
std::function<void()> LimitCharacters(HWND edit, int characters);
