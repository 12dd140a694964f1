#include "shell/path_text.h"

std::string_view FolderPart(std::string_view path)
{
    size_t cut = path.find_last_of("\\:");
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view FileNamePart(std::string_view path) { return path.substr(FolderPart(path).size()); }
