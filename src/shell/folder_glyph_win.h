// The shell's small folder picture, shown on browse buttons.
#pragma once

#include "win/handles.h"

// The picture, or null (the button then keeps its "..." caption).
[[nodiscard]] UniqueIcon ShellFolderGlyph();
