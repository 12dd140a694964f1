#include <gtest/gtest.h>

#include "config/run_value_rules.h"

TEST(RunValue, QuotedPathIsWrittenOverAnyOtherValueAndUntickedAnyValueGoes)
{
    const std::string self = "C:\\Users\\user name\\Programs\\Marigoldwick\\mgoldwk.exe";
    using C = RunValueChange;
    const struct { std::optional<std::string> current; C on, off; } cases[] = {
        {std::nullopt, C::Write, C::None},
        {"\"" + self + "\"", C::None, C::Remove},
        {self, C::Write, C::Remove},  // an earlier version's
        {"\"C:\\Other\\mgoldwk.exe\"", C::Write, C::Remove},
        {"", C::Write, C::Remove},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunValueChangeFor(c.current, self, true), c.on) << c.current.value_or("none");
        EXPECT_EQ(RunValueChangeFor(c.current, self, false), c.off) << c.current.value_or("none");
    }
}
