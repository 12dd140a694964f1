#include "settings/quick_folder_rules.h"

#include <algorithm>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string TidyMasks(std::string_view typed)
{
    std::string masks;
    while (!typed.empty()) {
        const size_t end = std::min(typed.find(';'), typed.size());
        if (std::string_view mask = Trimmed(typed.substr(0, end)); !mask.empty()) {
            if (!masks.empty()) masks += ';';
            masks += mask;
        }
        typed.remove_prefix(std::min(end + 1, typed.size()));
    }
    return masks;
}

std::string TidyFolder(std::string_view typed)
{
    std::string_view folder = Trimmed(typed);
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = Trimmed(folder.substr(1, folder.size() - 2));
    // "C:\" names the root; "C:" alone would be the drive's current folder.
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.remove_suffix(1);
    return std::string(folder);
}

bool SameQuickFolder(std::string_view a, std::string_view b)
{
    const std::string x = TidyFolder(a), y = TidyFolder(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) { return FoldAscii(p) == FoldAscii(q); });
}

QuickFolderCheck CheckQuickFolder(const QuickFolderFields& fields, const std::function<bool(const std::string&)>& isFolder,
                                  const std::vector<QuickFolder>& others)
{
    QuickFolderCheck check;
    QuickFolder folder;
    folder.Path = TidyFolder(fields.folder);
    if (folder.Path.empty()) {
        check.problem = "Enter the folder whose files the quick-launch box should find.";
        return check;
    }
    if (!isFolder(folder.Path)) {
        check.problem = "The folder \"" + folder.Path + "\" does not exist or cannot be reached.";
        return check;
    }
    if (std::any_of(others.begin(), others.end(), [&](const QuickFolder& f) { return SameQuickFolder(f.Path, folder.Path); })) {
        check.problem = "The folder \"" + folder.Path + "\" is already in the list.";
        return check;
    }
    const std::string_view depth = Trimmed(fields.depth);
    if (depth.size() != 1 || depth[0] < '0' || depth[0] > '0' + MaxQuickFolderDepth) {
        check.problem = "The depth is a number from 0 (the folder alone) to " + std::to_string(MaxQuickFolderDepth) +
                        " (five levels of subfolders).";
        check.field = QuickFolderField::Depth;
        return check;
    }
    folder.Depth = depth[0] - '0';
    folder.Masks = TidyMasks(fields.masks);
    if (folder.Masks.empty()) {
        check.problem = "Enter at least one file mask, such as *.exe;*.lnk.";
        check.field = QuickFolderField::Masks;
        return check;
    }
    check.folder = std::move(folder);
    return check;
}
