#include "menus/entry_icon_rules.h"

#include "config/model.h"

#include <charconv>
#include <vector>

std::string_view ExtensionOf(std::string_view path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string_view ext = path.substr(dot);
    if (ext.find_first_of("\\:") != std::string_view::npos) return {};
    return ext;
}

bool IsProgramPath(std::string_view path)
{
    std::string_view ext = ExtensionOf(path);
    if (ext.size() != 4) return false;
    static constexpr char exe[] = ".EXE";
    for (size_t i = 0; i < 4; ++i) {
        char c = ext[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != exe[i]) return false;
    }
    return true;
}

EntryIconSource EntryIconSourceFor(std::string_view path, bool isPidl, int32_t iconNum)
{
    if (iconNum != DefaultIconNum) return EntryIconSource::IconFile;
    if (isPidl) return EntryIconSource::IdListDefault;
    if (IsProgramPath(path)) return EntryIconSource::ProgramFirst;
    if (!path.empty()) return EntryIconSource::ShellFileIcon;
    return EntryIconSource::None;
}

std::optional<PictureLocation> ParseDefaultIcon(std::string_view value)
{
    const auto trim = [](std::string_view text) {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
        return text;
    };
    value = trim(value);
    int32_t index = 0;
    std::string_view file = value;
    const size_t comma = value.rfind(',');
    const size_t quote = value.rfind('"');
    if (comma != std::string_view::npos && (quote == std::string_view::npos || comma > quote)) {
        std::string_view number = trim(value.substr(comma + 1));
        const char* end = number.data() + number.size();
        if (number.empty() || std::from_chars(number.data(), end, index).ptr != end) return std::nullopt;
        file = trim(value.substr(0, comma));
    }
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
    if (file.empty() || file == "%1") return std::nullopt;
    return PictureLocation{PictureOrigin::IconFile, std::string(file), index};
}

std::string NormalisedPath(std::string_view path)
{
    std::string prefix;
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
        prefix = "\\\\";
        path.remove_prefix(2);
    }
    std::vector<std::string> parts;
    bool rooted = false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = path.size();
        std::string part(path.substr(start, end - start));
        if (start == 0 && part.empty() && end < path.size()) rooted = true;
        for (char& c : part)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (part == "..") {
            // Never above the drive, the server or the root: "C:\.." is "C:\". A relative
            // path keeps the ".." it starts with.
            const bool top = parts.size() == 1 && (parts[0].find(':') != std::string::npos || !prefix.empty());
            if (!parts.empty() && parts.back() != ".." && !top) parts.pop_back();
            else if ((parts.empty() && !rooted && prefix.empty()) || (!parts.empty() && parts.back() == ".."))
                parts.push_back(std::move(part));
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    std::string result = prefix + (rooted ? "\\" : "");
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) result += '\\';
        result += parts[i];
    }
    return result;
}

std::string PictureKey(const PictureLocation& source)
{
    switch (source.origin) {
    case PictureOrigin::IconFile:
        if (source.file.empty()) return {};
        return "file:" + NormalisedPath(source.file) + "," + std::to_string(source.index);
    case PictureOrigin::ShellImage: return "shell:" + std::to_string(source.index);
    case PictureOrigin::None: break;
    }
    return {};
}

GenericPictures ChooseGenericPictures(const std::optional<PictureLocation>& program,
                                      const std::optional<PictureLocation>& document, const std::string& systemLibrary)
{
    GenericPictures chosen{{PictureOrigin::IconFile, systemLibrary, -3}, {PictureOrigin::IconFile, systemLibrary, -1}};
    const auto named = [](const std::optional<PictureLocation>& answer) {
        return answer && answer->origin == PictureOrigin::IconFile && !answer->file.empty();
    };
    if (!named(program) || !named(document) || PictureKey(*program) == PictureKey(*document)) return chosen;
    chosen.program = *program;
    chosen.document = *document;
    chosen.program.programOwn = chosen.document.programOwn = false;
    return chosen;
}
