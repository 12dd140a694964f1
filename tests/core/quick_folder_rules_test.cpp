#include "settings/quick_folder_rules.h"

#include <gtest/gtest.h>

TEST(QuickFolderRules, FieldsMakeATidyFolderOrSayWhichFieldIsWrong)
{
    const auto exists = [](const std::string& path) { return path == "C:\\Apps" || path == "C:\\"; };
    const std::vector<QuickFolder> others = {{"c:\\apps\\", 1, "*.exe"}};
    const struct {
        QuickFolderFields fields;
        std::vector<QuickFolder> others;
        std::optional<QuickFolder> folder;
        QuickFolderField wrong;
    } cases[] = {
        {{" \"C:\\Apps\\\" ", "3", " *.exe ; ;*.LNK;"}, {}, QuickFolder{"C:\\Apps", 3, "*.exe;*.LNK"}, {}},
        {{"C:\\", "0", "*"}, others, QuickFolder{"C:\\", 0, "*"}, {}},
        {{"  ", "1", "*.exe"}, {}, std::nullopt, QuickFolderField::Path},
        {{"C:\\Gone", "1", "*.exe"}, {}, std::nullopt, QuickFolderField::Path},
        {{"C:\\APPS", "1", "*.exe"}, others, std::nullopt, QuickFolderField::Path},
        {{"C:\\Apps", "6", "*.exe"}, {}, std::nullopt, QuickFolderField::Depth},
        {{"C:\\Apps", "", "*.exe"}, {}, std::nullopt, QuickFolderField::Depth},
        {{"C:\\Apps", "1", " ; "}, {}, std::nullopt, QuickFolderField::Masks},
    };
    for (const auto& c : cases) {
        const QuickFolderCheck check = CheckQuickFolder(c.fields, exists, c.others);
        EXPECT_EQ(check.folder, c.folder) << c.fields.folder << " " << c.fields.depth;
        EXPECT_EQ(check.problem.empty(), c.folder.has_value()) << check.problem;
        if (!c.folder) EXPECT_EQ(check.field, c.wrong) << c.fields.folder << " " << c.fields.depth;
    }
}
