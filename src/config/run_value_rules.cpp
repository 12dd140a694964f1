#include "config/run_value_rules.h"

#include "text/unicode.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b, PathCaseFold fold)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (fold(NextCodePoint(a, i)) != fold(NextCodePoint(b, j))) return false;
    return i == a.size() && j == b.size();
}

}  // namespace

char32_t AsciiPathFold(char32_t c)
{
    return c >= U'a' && c <= U'z' ? c - (U'a' - U'A') : c;
}

std::string RunValueFor(std::string_view programPath)
{
    return "\"" + std::string(programPath) + "\"";
}

bool RunValueStartsProgram(std::string_view value, std::string_view programPath, PathCaseFold fold)
{
    if (programPath.empty()) return false;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return SameIgnoringCase(value, programPath, fold);
}

RunValueChange RunValueChangeFor(const std::optional<std::string>& current, std::string_view programPath,
                                 bool selfAutostart, PathCaseFold fold)
{
    if (selfAutostart) return current == RunValueFor(programPath) ? RunValueChange::None : RunValueChange::Write;
    return current && RunValueStartsProgram(*current, programPath, fold) ? RunValueChange::Remove
                                                                         : RunValueChange::None;
}
