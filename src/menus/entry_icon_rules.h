// Which source an entry's icon comes from. Platform-neutral.
#pragma once

#include "config/model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class EntryIconSource {
    IdListDefault,    // the shell's large, closed icon of the identifier list
    IconFile,         // ExtractIconA of the icon path with the icon number
    ProgramFirst,     // ExtractIconA of the program itself, icon 0
    ShellFileIcon,    // SHGetFileInfoA of the path
    None,             // the placeholder
};

// From the last full stop on, provided no backslash or colon follows it; otherwise empty.
std::string_view ExtensionOf(std::string_view path);
// The extension is compared without regard to case: TOOL.EXE and tool.exe are programs.
bool IsProgramPath(std::string_view path);
EntryIconSource EntryIconSourceFor(std::string_view path, bool isPidl, int32_t iconNum);

// What an entry's picture is made from, copied from the entry: the entry may be edited
// or removed before its picture is made.
struct EntryIconRequest {
    std::string Pfad;
    bool IsPIDL = false;
    int32_t IconNum = DefaultIconNum;
    std::string IconPfad;
};

// Where an entry's picture comes from once its paths are expanded and the shell asked.
enum class PictureOrigin {
    None,        // the placeholder
    IconFile,    // `file` (program, library or icon file), icon number `index`
    ShellImage,  // the shell's system image list, picture `index`
};
struct PictureLocation {
    PictureOrigin origin = PictureOrigin::None;
    std::string file;
    int32_t index = 0;
    // The program's own first icon: a program without icons shows the generic program
    // picture instead of the placeholder. Not part of the key.
    bool programOwn = false;
};

// The shell's pictures of a program without icons and of a document whose type has no
// program, where the shell names them (`program`, `document`: its answers, nothing when
// it has none). A shell that gives one location for both names neither (Wine answers
// every stock picture alike): then the system library's own resources stand in, the
// "application" picture (resource 3) and the plain document (resource 1) of
// `systemLibrary`.
struct GenericPictures {
    PictureLocation program;
    PictureLocation document;
};
GenericPictures ChooseGenericPictures(const std::optional<PictureLocation>& program,
                                      const std::optional<PictureLocation>& document, const std::string& systemLibrary);

// A type's registered icon (the DefaultIcon value: `file`, `file,index` or `"file",index`;
// the index counts as ExtractIconA's, negative for a resource id). Nothing for "%1" (each
// file's own icon), an empty file or an index that is no number.
std::optional<PictureLocation> ParseDefaultIcon(std::string_view value);

// A path as the file system compares it: letters in upper case, '/' as '\', repeated
// backslashes and "." parts dropped, ".." parts taking back the part before them. A
// leading "\\" (a network path) stays.
std::string NormalisedPath(std::string_view path);
// Text naming the picture: equal for sources that show the same picture, empty for the
// placeholder.
std::string PictureKey(const PictureLocation& source);
