// How many USER objects (windows, menus, icons and cursors, accelerator tables) this
// process holds, for benchmarks that watch long use from another process. Answered only
// where the environment asks for it: counting under Wine takes most of a second.
#pragma once

#include <cstdint>

inline constexpr char DiagnosticsVariable[] = "MARIGOLDWICK_DIAGNOSTICS";

// 0 unless DiagnosticsVariable is "1".
std::uint32_t UserObjectsIfAsked();
