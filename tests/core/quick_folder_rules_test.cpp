#include "settings/quick_folder_rules.h"

#include <gtest/gtest.h>

TEST(QuickFolderRules, FieldsMakeATidyFolderOrSayWhichFieldIsWrong)
{
    const auto exists = [](const std::string& path) { return path == "C:\\Apps" || path == "C:\\"; };
    const std::vector<QuickFolder> apps = {{"c:\\apps\\", 1, "*.exe"}};
    using F = QuickFolderField;
    const std::tuple<QuickFolderFields, std::vector<QuickFolder>, std::optional<QuickFolder>, F> cases[] = {
        {{" \"C:\\Apps\\\" ", "3", " *.exe ; ;*.LNK;"}, {}, QuickFolder{"C:\\Apps", 3, "*.exe;*.LNK"}, {}},
        {{"C:\\", "0", "*"}, apps, QuickFolder{"C:\\", 0, "*"}, {}},
        {{"  ", "1", "*.exe"}, {}, std::nullopt, F::Path},
        {{"C:\\Gone", "1", "*.exe"}, {}, std::nullopt, F::Path},
        {{"C:\\APPS", "1", "*.exe"}, apps, std::nullopt, F::Path},
        {{"C:\\Apps", "6", "*.exe"}, {}, std::nullopt, F::Depth},
        {{"C:\\Apps", "", "*.exe"}, {}, std::nullopt, F::Depth},
        {{"C:\\Apps", "1", " ; "}, {}, std::nullopt, F::Masks},
    };
    for (const auto& [fields, others, folder, wrong] : cases) {
        const QuickFolderCheck check = CheckQuickFolder(fields, exists, others);
        EXPECT_EQ(check.folder, folder) << fields.folder << " " << fields.depth;
        EXPECT_EQ(check.problem.empty(), folder.has_value()) << check.problem;
        if (!folder) EXPECT_EQ(check.field, wrong) << fields.folder << " " << fields.depth;
    }
}
