#include "app_test.h"

void AppTest::SetUp()
{
    ASSERT_FALSE(MarigoldwickRunning()) << "a copy from an earlier test still runs";
    sandbox = MgwSandbox::Create();
    ASSERT_TRUE(sandbox) << "MGW_BIN must name the folder of mgoldwk.exe";
}

void AppTest::TearDown()
{
    if (app && app->IsRunning() && main) {
        // The process is killed anyway when these do not end it.
        static_cast<void>(Post(main, WM_CANCELMODE));
        static_cast<void>(Post(main, WM_CLOSE));
        static_cast<void>(app->WaitForExit(5000));
    }
}

void AppTest::Launch(const std::optional<std::string>& ini)
{
    if (ini) {
        ASSERT_TRUE(sandbox->WriteIni(*ini));
    }
    app = sandbox->Start();
    ASSERT_TRUE(app);
    main = app->WaitForMainWindow();
    ASSERT_NE(main, nullptr);
}

std::string AppTest::SaveAndClose(HWND settings)
{
    EXPECT_TRUE(ClickButton(settings, "&OK - Minimize"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    EXPECT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
    return sandbox->ReadIni().value_or("");
}

HWND SettingsItemList(HWND settings)
{
    HWND tallest = nullptr;
    int height = 0;
    for (HWND c = FindWindowExW(settings, nullptr, L"SysListView32", nullptr); c;
         c = FindWindowExW(settings, c, L"SysListView32", nullptr)) {
        RECT r{};
        GetWindowRect(c, &r);
        if (r.bottom - r.top > height) tallest = c, height = r.bottom - r.top;
    }
    return tallest;
}

size_t Count(const std::string& text, std::string_view what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool SameFolder(std::string a, std::string b)
{
    for (std::string* s : {&a, &b})
        if (s->size() > 3 && s->back() == '\\') s->pop_back();
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}
