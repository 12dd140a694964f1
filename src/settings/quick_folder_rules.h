// The quick-launch folders as the options window shows and takes them, without windows.
#pragma once

#include "config/model.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The masks as typed, each without the blanks around it, empty ones left out:
// " *.exe ; ;*.lnk" is "*.exe;*.lnk".
std::string TidyMasks(std::string_view typed);
// A typed or pasted folder without blanks and a pair of quotes around it, nor a trailing
// backslash unless it is a drive's root ("C:\").
std::string TidyFolder(std::string_view typed);
// The same folder, in any case of A-Z and with or without a trailing backslash.
bool SameQuickFolder(std::string_view a, std::string_view b);

// The fields of the folder form as they read.
struct QuickFolderFields {
    std::string folder;
    std::string depth;
    std::string masks;
};
enum class QuickFolderField { Path, Depth, Masks };
// The folder the fields make, or why they make none and which field to correct.
struct QuickFolderCheck {
    std::optional<QuickFolder> folder;
    std::string problem;
    QuickFolderField field = QuickFolderField::Path;
};
// `isFolder` tells whether a folder exists; `others` are the list's other folders, which
// the new one must not repeat.
QuickFolderCheck CheckQuickFolder(const QuickFolderFields& fields, const std::function<bool(const std::string&)>& isFolder,
                                  const std::vector<QuickFolder>& others);
