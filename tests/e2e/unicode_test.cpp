// Files and folders named in Cyrillic, Greek and CJK, with an emoji (a surrogate pair) and
// a combining accent, taken in by the real program the three ways a user has: typed into
// the item mask, chosen in the browse dialog, dropped from another process. They show in
// the popup with their pictures, start (copies of recorder.exe write down their wide
// command line and folder), are saved, and after a restart are all there and start again.
// Being copies of a program without icons, they show the shell's generic program picture
// in the popup, highlighted or not, read from the screen; a missing one, nothing.
#include "app_test.h"
#include "recorder_log.h"
#include "unicode_files.h"
#include "win/command_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";

// GetWindowText does not ask another process's control for its text: the message does.
std::wstring WindowTextW(HWND window)
{
    std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// What a user types, sent as the wide text it is.
void TypeInto(HWND edit, const std::string& text)
{
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

// A key that makes this character, as an input method would send it.
void TypeCharacter(wchar_t c)
{
    INPUT keys[2]{};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wScan = c;
        key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

std::string WithoutTrailingBackslash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// What `paint` draws on a bitmap `width` pixels wide, rows top down.
template <typename Paint>
std::vector<uint32_t> Painted(int width, int height, Paint paint)
{
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits) return {};
    ScopedSelectObject select(dc.get(), dib.get());
    paint(dc.get());
    GdiFlush();
    return {static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height};
}

// Places of the window, as the screen shows it, that hold `picture` (`width` pixels wide):
// nearly every pixel nearly alike, as two draws may round alpha differently.
int PlacesShowing(HWND window, const std::vector<uint32_t>& picture, int width)
{
    const RECT r = ScreenPlace(window);
    const int w = r.right - r.left, h = r.bottom - r.top, height = static_cast<int>(picture.size()) / width;
    const std::vector<uint32_t> shot =
        Painted(w, h, [&](HDC dc) { BitBlt(dc, 0, 0, w, h, ScopedGetDC(nullptr).get(), r.left, r.top, SRCCOPY); });
    int places = 0;
    for (int at = 0; at < w * h; ++at) {
        int misses = at % w + width > w || at / w + height > h ? 99 : 0;
        for (int k = 0; k < width * height && misses < 16; ++k)
            for (int shift : {0, 8, 16})
                misses += std::abs(int(picture[k] >> shift & 0xFF) -
                                   int(shot[at + k / width * w + k % width] >> shift & 0xFF)) > 24;
        places += misses < 16;
    }
    return places;
}

class UnicodeE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        // Every program is a copy of the recorder in a folder named in every script; each
        // records into the log beside the test's sandbox.
        places = sandbox->Folder().File(MixedName);
        ASSERT_TRUE(CreateDirectoryW(Wide(places).c_str(), nullptr));
        for (const char* name : {CyrillicName, GreekName, CjkName, EmojiName, CombiningName}) {
            const std::string folder = places + "\\" + name;
            ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr)) << folder;
            programs.push_back(folder + "\\" + name + ".exe");
            ASSERT_TRUE(CopyFileW(Wide(RecorderExe()).c_str(), Wide(programs.back()).c_str(), FALSE));
        }
        log = sandbox->Folder().File("record.log");
        ASSERT_TRUE(SetEnvironmentVariableW(L"MGW_RECORD", Wide(log).c_str()));
    }
    void TearDown() override
    {
        AppTest::TearDown();
        SetEnvironmentVariableW(L"MGW_RECORD", nullptr);
        Sleep(100);
    }

    void Start(const std::optional<std::string>& ini)
    {
        Launch(ini);
        if (HasFatalFailure()) return;
        ASSERT_NE(app->WaitForWindow({IconClass, "Scripts", false}, 5000), nullptr);
    }
    HWND OpenSettings()
    {
        if (!ChooseMenuCommand(main, 0, 1900)) return nullptr;
        HWND settings = app->WaitForSettings();
        if (!settings) return nullptr;
        // The first menu chosen: the mask and the list take entries.
        HWND menus = ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32");
        if (!Post(menus, WM_KEYDOWN, VK_HOME, 1)) return nullptr;
        HWND add = FindChild(settings, "Button", "&Add");
        return WaitUntil([&] { return IsWindowEnabled(add) != FALSE; }) ? settings : nullptr;
    }
    static HWND PathEdit(HWND settings) { return EditAt(settings, {7 + 184 + 80, 128 + 32 + 12}); }
    static HWND ParametersEdit(HWND settings) { return EditAt(settings, {7 + 184 + 80, 128 + 32 + 131 + 10}); }
    static HWND DescriptionEdit(HWND settings) { return EditAt(settings, {7 + 184 + 80, 128 + 32 + 207}); }

    // "..." then "&File...": the open dialog, a file named in it, Open.
    void Browse(HWND settings, const std::string& file)
    {
        SetForegroundWindow(settings);
        HWND browse = ChildAt(settings, {7 + 184 + 288 + 12, 128 + 32 + 8 + 10}, "Button");
        ASSERT_TRUE(Post(GetParent(browse), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED),
                         reinterpret_cast<LPARAM>(browse)));
        ASSERT_NE(app->WaitForPopup(), nullptr);
        PressKeys({'F'});
        HWND dialog = app->WaitForWindow({"#32770", "Open", true});
        ASSERT_NE(dialog, nullptr) << "no open dialog";
        // The file name field: the edit of the name combo box (cmb13), else the dialog's only edit.
        HWND name = GetDlgItem(dialog, 0x47C);
        HWND edit = name ? FindWindowExW(name, nullptr, L"Edit", nullptr) : nullptr;
        if (!edit) edit = name ? name : FindWindowExW(dialog, nullptr, L"Edit", nullptr);
        TypeInto(edit, file);
        ASSERT_TRUE(Post(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    }

    // drag_source run through the wide call, so its items keep their names: its result.
    std::string Drag(POINT at, const std::vector<std::string>& items)
    {
        const std::string result = sandbox->Folder().File("drag.txt");
        DeleteFileW(Wide(result).c_str());
        std::string command = "\"" + BinFolder() + "drag_source.exe\" \"" + result + "\" " + std::to_string(at.x) +
                              " " + std::to_string(at.y);
        for (const std::string& item : items) command += " \"" + item + "\"";
        std::wstring wide = Wide(command);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
            return "not started";
        UniqueHandle process(started.hProcess), thread(started.hThread);
        if (WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
        std::string text = sandbox->Folder().Read("drag.txt").value_or("");
        return text.substr(0, text.find_first_of("\r\n"));
    }

    std::string Value(int item, const char* key) const
    {
        wchar_t value[4096] = {};
        GetPrivateProfileStringW(Wide("M0I" + std::to_string(item)).c_str(), Wide(key).c_str(), L"", value, 4096,
                                 Wide(sandbox->IniPath()).c_str());
        return Utf8(value);
    }

    long long PendingPictures() const
    {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(main, WmPendingPictures, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) return -1;
        return static_cast<long long>(answer);
    }

    HWND OpenPopup()
    {
        HWND icon = app->WaitForWindow({IconClass, "Scripts", false}, 5000);
        if (!icon || !Post(icon, 1027, 0, WM_RBUTTONUP)) return nullptr;
        HWND popup = app->WaitForPopup();
        auto foregroundProcess = [] {
            DWORD pid = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &pid);
            return pid;
        };
        if (!popup || !WaitUntil([&] { return foregroundProcess() == app->Id(); }, 2000)) return nullptr;
        return popup;
    }

    // Every entry's picture of the open popup is final: made from its file, no placeholder.
    void ExpectPicturesFinal()
    {
        EXPECT_TRUE(WaitUntil([&] { return PendingPictures() == 0; }, 20000)) << PendingPictures();
    }

    // Entry k chosen with the arrows and Enter; the record it left.
    std::optional<RecorderRecord> StartEntry(int k, size_t recordsBefore)
    {
        if (!OpenPopup()) return std::nullopt;
        for (int i = 0; i <= k; ++i) PressKeys({VK_DOWN});
        PressKeys({VK_RETURN});
        std::vector<RecorderRecord> records = WaitForRecords(log, recordsBefore + 1);
        if (records.size() != recordsBefore + 1) return std::nullopt;
        // Wine shows a console for the started copy a moment: let it go before more keys.
        Sleep(700);
        return records.back();
    }

    void ExpectRecorded(const std::optional<RecorderRecord>& record, const std::string& program,
                        const std::string& parameters) const
    {
        ASSERT_TRUE(record) << program;
        EXPECT_NE(record->commandLine.find(program), std::string::npos) << record->commandLine;
        EXPECT_TRUE(EndsWith(record->commandLine, parameters)) << record->commandLine;
        EXPECT_EQ(WithoutTrailingBackslash(record->directory), FolderOf(program));
    }

    std::string places, log;
    std::vector<std::string> programs;  // Cyrillic, Greek, CJK, emoji, combining accent
};

TEST_F(UnicodeE2e, NamesInEveryScriptTypedBrowsedAndDroppedShowStartAreSavedAndStartAgainAfterARestart)
{
    Start(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0", "IconSize=32", "MenuCount=1",
               "[M0]", "MenuName=Scripts", "ItemCount=0"}));
    ASSERT_FALSE(HasFatalFailure());
    HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);

    // Typed: a Cyrillic program with Greek and emoji parameters, its mnemonic Cyrillic too.
    const std::string typedParameters = std::string(GreekName) + " \"" + EmojiName + "\"";
    const std::string typedDescription = std::string("&") + CyrillicName;
    TypeInto(PathEdit(settings), programs[0]);
    TypeInto(ParametersEdit(settings), typedParameters);
    TypeInto(DescriptionEdit(settings), typedDescription);
    EXPECT_EQ(Utf8(WindowTextW(PathEdit(settings))), programs[0]);
    ASSERT_TRUE(ClickButton(settings, "&Add"));

    // Chosen in the browse dialog: the Greek program.
    Browse(settings, programs[1]);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Utf8(WindowTextW(PathEdit(settings))), programs[1]) << "the dialog's choice in the mask";
    TypeInto(DescriptionEdit(settings), GreekName);
    ASSERT_TRUE(ClickButton(settings, "&Add"));
    HWND items = SettingsItemList(settings);
    ASSERT_NE(items, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(items, LVM_GETITEMCOUNT, 0, 0) == 2; }));

    // Dropped from another process: the CJK, emoji and combining-accent programs.
    RECT r{};
    GetWindowRect(items, &r);
    const std::string linked = "00040100 " + std::to_string(DROPEFFECT_LINK);
    const std::string launch = places + "\\Запуск.exe";
    ASSERT_TRUE(CopyFileW(Wide(programs[0]).c_str(), Wide(launch).c_str(), FALSE));
    programs.push_back(launch);
    for (int k : {2, 3, 4, 5}) EXPECT_EQ(Drag({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, {programs[k]}), linked);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(items, LVM_GETITEMCOUNT, 0, 0) == 6; }))
        << SendMessageW(items, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));

    // Saved: a file the system's wide reader gives back exactly (the names need UTF-16).
    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    ASSERT_GE(saved->size(), 2u);
    EXPECT_EQ(saved->substr(0, 2), "\xFF\xFE") << "UTF-16LE with its byte-order mark";
    EXPECT_EQ(Value(1, "Pfad"), programs[0]);
    EXPECT_EQ(Value(1, "Parameters"), typedParameters);
    EXPECT_EQ(Value(1, "Description"), typedDescription);
    EXPECT_EQ(Value(2, "Pfad"), programs[1]);
    EXPECT_EQ(Value(2, "Description"), GreekName);
    // Dropped programs are kept by their path in capitals; the system's rule compares them.
    std::vector<std::string> stored = {programs[0], programs[1]};
    for (int k : {2, 3, 4}) {
        std::string pfad = Value(k + 1, "Pfad");
        EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Wide(pfad).c_str(), -1,
                                 Wide(programs[k]).c_str(), -1), CSTR_EQUAL)
            << pfad;
        stored.push_back(pfad);
    }
    // Named after the file, the first letter raised by the system's rule for its script.
    const std::vector<std::string> named{CjkName, "Smile \xF0\x9F\x98\x80", "Cafe\xCC\x81", "Запуск"};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Value(k + 3, "Description"), named[static_cast<size_t>(k)]) << k;

    // Shown with their pictures, started from the popup as they are stored.
    HWND popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    ExpectPicturesFinal();
    // The shell's own "application" picture on the menu colour, highlighted or not.
    const std::vector<uint32_t> generic = Painted(32, 32, [](HDC dc) {
        const RECT all{0, 0, 32, 32};
        FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
        UniqueIcon icon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(3), IMAGE_ICON, 32, 32, 0)));
        DrawIconEx(dc, 0, 0, icon.get(), 32, 32, 0, nullptr, DI_NORMAL);
    });
    EXPECT_TRUE(WaitUntil([&] { return PlacesShowing(popup, generic, 32) == 6; }, 3000));
    PressKeys({VK_DOWN});
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);  // a DIB holds it the other way round
    EXPECT_TRUE(WaitUntil([&] { return PlacesShowing(popup, {RGB(GetBValue(h), GetGValue(h), GetRValue(h))}, 1) > 0; }));
    EXPECT_EQ(PlacesShowing(popup, generic, 32), 6) << "the highlighted entry's picture";
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(app->WaitForPopupGone());
    size_t records = 0;
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(stored[static_cast<size_t>(k)]);
        ExpectRecorded(StartEntry(k, records++), stored[static_cast<size_t>(k)], k == 0 ? typedParameters : "");
        ASSERT_FALSE(HasFatalFailure());
    }

    // After a restart everything is there and starts again; the Cyrillic mnemonic too.
    ASSERT_TRUE(Post(main, WM_CLOSE));
    ASSERT_EQ(app->WaitForExit(), 0u);
    ASSERT_TRUE(DeleteFileW(Wide(launch).c_str()));
    Start(std::nullopt);
    ASSERT_FALSE(HasFatalFailure());
    popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    // A program gone shows the placeholder, the others their pictures.
    ExpectPicturesFinal();
    EXPECT_TRUE(WaitUntil([&] { return PlacesShowing(popup, generic, 32) == 5; }, 3000));
    TypeCharacter(L'п');
    std::vector<RecorderRecord> again = WaitForRecords(log, records + 1);
    ASSERT_EQ(again.size(), records + 1) << "the mnemonic started nothing";
    ExpectRecorded(again.back(), programs[0], typedParameters);
    ++records;
    Sleep(700);
    for (int k = 1; k < 5; ++k) {
        SCOPED_TRACE(stored[static_cast<size_t>(k)]);
        ExpectRecorded(StartEntry(k, records++), stored[static_cast<size_t>(k)], "");
        ASSERT_FALSE(HasFatalFailure());
    }
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    EXPECT_EQ(sandbox->ReadIni(), saved) << "nothing changed, nothing written";
}

}  // namespace
