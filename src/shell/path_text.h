// The parts of a path as text, for the program's own files and the entries it starts.
// A colon ends the folder part as a backslash does: "C:app.exe" lies in "C:", the
// current folder of drive C, and a URL's scheme ends at its colon.
#pragma once

#include <string>
#include <string_view>

// Up to and including the last backslash or colon; empty when there is neither.
std::string_view FolderPart(std::string_view path);
// What follows the folder part.
std::string_view FileNamePart(std::string_view path);
// The folder a program is started in: the folder of its path.
inline std::string WorkingDirectoryOf(std::string_view path) { return std::string(FolderPart(path)); }
