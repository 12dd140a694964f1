// Environment variables in paths ("%WINDIR%\notepad.exe"), expanded as the shell does
// when it starts them.
#pragma once

#include <string>
#include <string_view>

// `text` with every %NAME% of a defined variable replaced; undefined ones stay as they
// are. The text unchanged when it holds no percent sign or cannot be expanded.
[[nodiscard]] std::string ExpandEnvironment(std::string_view text);
// The same for a system call: the model's text goes in, the wide text the call takes
// comes out, converted once however it expands.
[[nodiscard]] std::wstring ExpandEnvironmentWide(std::string_view text);
// The same for a text the system handed over, which stays wide.
[[nodiscard]] std::wstring ExpandEnvironmentWide(std::wstring_view text);
