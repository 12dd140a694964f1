// The program's own value under the per-user Run key ("start with Windows"), decided
// without the registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value for the program at `programPath`: the path in quotes, or Windows may take
// "C:\Users\user name\...\mgoldwk.exe" for "C:\Users\user.exe" with arguments.
std::string RunValueFor(std::string_view programPath);

enum class RunValueChange { None, Write, Remove };
// What a save does to the value (none when missing): with self-autostart on, anything
// but the quoted path is written over, an earlier version's bare path included; with it
// off, the value goes whatever it holds.
[[nodiscard]] RunValueChange RunValueChangeFor(const std::optional<std::string>& current,
                                               std::string_view programPath, bool selfAutostart);
