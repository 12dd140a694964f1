#include <gtest/gtest.h>

#include "config/run_value_rules.h"

TEST(RunValue, QuotedPathIsWrittenAndEarlierBareValuesCountAsOurs)
{
    const std::string self = "C:\\Users\\user name\\Programs\\Marigoldwick\\mgoldwk.exe";
    using C = RunValueChange;
    const struct { std::optional<std::string> current; C on, off; } cases[] = {
        {std::nullopt, C::Write, C::None},
        {"\"" + self + "\"", C::None, C::Remove},
        {self, C::Write, C::Remove},  // an earlier version's
        {"c:\\users\\USER NAME\\programs\\marigoldwick\\MGOLDWK.EXE", C::Write, C::Remove},
        {"\"C:\\Other\\mgoldwk.exe\"", C::Write, C::None},  // another copy's
        {"\"" + self + "\" /x", C::Write, C::None},
        {"", C::Write, C::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunValueChangeFor(c.current, self, true, AsciiPathFold), c.on) << c.current.value_or("none");
        EXPECT_EQ(RunValueChangeFor(c.current, self, false, AsciiPathFold), c.off) << c.current.value_or("none");
    }
}
