// The program's own value under the per-user Run key ("start with Windows"), decided
// without the registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A character's case-independent form: the system's rule on Windows, ASCII elsewhere.
using PathCaseFold = char32_t (*)(char32_t);
char32_t AsciiPathFold(char32_t c);

// The value for the program at `programPath`: the path in quotes, or Windows may take
// "C:\Users\user name\...\mgoldwk.exe" for "C:\Users\user.exe" with arguments.
std::string RunValueFor(std::string_view programPath);

// Whether the value starts the program at `programPath`: its path quoted (as written
// now) or bare (as earlier versions wrote it), in any case.
[[nodiscard]] bool RunValueStartsProgram(std::string_view value, std::string_view programPath,
                                         PathCaseFold fold);

enum class RunValueChange { None, Write, Remove };
// What a save does to the value (none when missing): with self-autostart on, anything
// but the quoted path is written over; with it off, a value that starts this program
// goes, and one that starts another program (another copy elsewhere) stays.
[[nodiscard]] RunValueChange RunValueChangeFor(const std::optional<std::string>& current,
                                               std::string_view programPath, bool selfAutostart,
                                               PathCaseFold fold);
