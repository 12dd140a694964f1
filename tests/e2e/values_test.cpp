// Values with quotes and blanks at their ends in the real program: what the file holds
// and what the user types survive "OK - Minimize" and a restart, as the system's own
// profile reader sees the file.
#include "app_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Value {
    const char* section;
    const char* key;
    std::string text;  // what the reader must give back
};

// The file's value as the system reads it, from a copy: Wine caches profiles by path.
std::string SystemRead(const TempFolder& folder, const std::string& bytes, const Value& v)
{
    static int copies = 0;
    const std::string name = "copy" + std::to_string(++copies) + ".ini";
    if (!folder.Write(name, bytes)) return "<not written>";
    char buffer[2048] = {};
    DWORD n = GetPrivateProfileStringA(v.section, v.key, "<missing>", buffer, sizeof buffer, folder.File(name).c_str());
    return std::string(buffer, n);
}

class QuotedValuesE2e : public AppTest {
protected:
    // Opens the settings window from the first menu, lets `edit` work on it, presses
    // "&OK - Minimize" and quits; the file as it is then.
    std::string OkAndQuit(const std::optional<std::string>& ini, const std::function<void(HWND)>& edit = {})
    {
        Launch(ini);
        if (HasFatalFailure()) return {};
        EXPECT_TRUE(ChooseMenuCommand(main, 0, 1900));
        HWND settings = app->WaitForSettings();
        EXPECT_NE(settings, nullptr);
        if (!settings) return {};
        if (edit) edit(settings);
        return SaveAndClose(settings);
    }
};

TEST_F(QuotedValuesE2e, QuotesAndBlanksAtTheEndsSurviveOkAndARestart)
{
    // Single quotes and hand-made forms the program itself does not write.
    const std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]",
                                 "MenuName=' Work '", "ItemCount=2", "[M0I1]", "Pfad=C:\\windows\\notepad.exe",
                                 "Description=\"'Editor'\"",
                                 "Parameters=\"\"C:\\My Files\\a.txt\" \"C:\\My Files\\b.txt\"\"", "[M0I2]",
                                 "Pfad=C:\\windows\\notepad.exe", "Description='\"\"'", "Parameters='\tx '"});
    const std::vector<Value> values = {
        {"M0", "MenuName", " Work "},
        {"M0I1", "Description", "'Editor'"},
        {"M0I1", "Parameters", "\"C:\\My Files\\a.txt\" \"C:\\My Files\\b.txt\""},
        {"M0I2", "Description", "\"\""},
        {"M0I2", "Parameters", "\tx "},
        // Typed into the item mask and added as a third entry.
        {"M0I3", "Description", "  spaced  "},
        {"M0I3", "Parameters", "\"C:\\My Files\\c.txt\""},
    };

    const std::string first = OkAndQuit(ini, [&](HWND settings) {
        // A click on the first menu of the "Menus" list selects it and opens its items.
        HWND menus = ChildAt(settings, {7 + 8 + 12, 8 + 16 + 8}, "SysListView32");
        ASSERT_NE(menus, nullptr);
        ASSERT_TRUE(Post(menus, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 8)));
        ASSERT_TRUE(Post(menus, WM_LBUTTONUP, 0, MAKELPARAM(12, 8)));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")); }));
        for (auto [at, text] : {std::pair<POINT, const char*>{{80, 12}, "C:\\windows\\notepad.exe"},
                                {{80, 140}, values[6].text.c_str()},
                                {{80, 207}, values[5].text.c_str()}}) {
            // The item mask lies in the "Edit Item" panel of the Items group.
            HWND edit = EditAt(settings, {7 + 184 + at.x, 128 + 32 + at.y});
            ASSERT_NE(edit, nullptr) << text;
            SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        }
        ASSERT_TRUE(ClickButton(settings, "&Add"));
    });
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_NE(first.find("ItemCount=3\r\n"), std::string::npos) << first;
    for (const Value& v : values)
        EXPECT_EQ(SystemRead(sandbox->Folder(), first, v), v.text) << v.section << " " << v.key << " in\n" << first;
    // The file is now in the program's own form: a restart and OK leave it as it is.
    EXPECT_NE(first.find("\r\nMenuName=\" Work \"\r\n"), std::string::npos) << first;
    EXPECT_EQ(OkAndQuit(std::nullopt), first);
}

}  // namespace
