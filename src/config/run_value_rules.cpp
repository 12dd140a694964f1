#include "config/run_value_rules.h"

std::string RunValueFor(std::string_view programPath)
{
    return "\"" + std::string(programPath) + "\"";
}

RunValueChange RunValueChangeFor(const std::optional<std::string>& current, std::string_view programPath,
                                 bool selfAutostart)
{
    if (selfAutostart) return current == RunValueFor(programPath) ? RunValueChange::None : RunValueChange::Write;
    return current ? RunValueChange::Remove : RunValueChange::None;
}
