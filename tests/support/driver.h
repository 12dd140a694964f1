// Drives a real mgoldwk.exe from outside, the way a user would: its own copy in a fresh
// folder, its windows found by class and caption, message boxes read and answered,
// buttons clicked, messages posted, and the process always ended on teardown.
#pragma once

#include "win/handles.h"
#include "win/text_conversion.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Texts and paths are UTF-8 throughout; the calls behind them are the wide ones.
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The window's rectangle on the screen, and whether one rectangle holds another whole.
RECT ScreenPlace(HWND window);
bool Encloses(const RECT& outer, const RECT& inner);

// A configuration file's text: the lines, each ended by CR LF.
std::string Ini(std::initializer_list<std::string_view> lines);

// Presses the keys in order and releases them in reverse, through SendInput: the
// program with the keyboard focus (an open popup menu) gets them as typed keys.
void PressKeys(std::initializer_list<WORD> keys);

// Polls pred until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs = 10000, DWORD stepMs = 20);

// A fresh folder under %TEMP%, removed with its contents on destruction.
class TempFolder {
public:
    [[nodiscard]] static std::optional<TempFolder> Create();
    TempFolder(TempFolder&& other) noexcept;
    TempFolder& operator=(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    // Ends in a backslash.
    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + std::string(name); }
    [[nodiscard]] bool Write(std::string_view name, std::string_view bytes) const;
    std::optional<std::string> Read(std::string_view name) const;
    bool Exists(std::string_view name) const;

private:
    explicit TempFolder(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

// Set in this process's environment, which the program started from here inherits.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::string& value) : name_(name), old_(MAX_PATH, L'\0')
    {
        old_.resize(GetEnvironmentVariableW(name_, old_.data(), MAX_PATH));
        SetEnvironmentVariableW(name_, Wide(value).c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, old_.empty() ? nullptr : old_.c_str()); }

private:
    const wchar_t* name_;
    std::wstring old_;
};

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;  // the static control with id 0xFFFF
};
MessageBoxInfo ReadMessageBox(HWND box);
// Presses the box's button with that id (IDYES, IDNO, IDOK, IDCANCEL...) as a click does:
// the box gets the button's WM_COMMAND. False when the box has no such button.
[[nodiscard]] bool AnswerMessageBox(HWND box, int buttonId);

// The child window (at any depth) of that class with that text, or null.
HWND FindChild(HWND parent, std::string_view className, std::string_view text);
// A shown dialog box (#32770: a message box, a file dialog) of the calling thread, or null.
HWND ThreadDialog();
// Pairs of the window's shown children that overlap without one framing the other, by
// their control ids.
std::vector<std::pair<int, int>> OverlappingChildren(HWND window);
// Clicks the enabled button with that caption: its parent gets BN_CLICKED.
[[nodiscard]] bool ClickButton(HWND window, std::string_view caption);
[[nodiscard]] bool Post(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// The child of that class under that point of the window's client area, or null.
HWND ChildAt(HWND window, POINT point, std::string_view className);
inline HWND EditAt(HWND window, POINT point) { return ChildAt(window, point, "Edit"); }

struct WindowQuery {
    std::string_view className;  // empty: any
    std::string_view caption;    // empty: any
    bool visibleOnly = false;
};

class AppProcess {
public:
    // Started in the program's own folder.
    [[nodiscard]] static std::unique_ptr<AppProcess> Start(const std::string& exePath, const std::string& arguments = {});
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;
    // Kills the program when it still runs: no test leaves a copy behind.
    ~AppProcess();

    DWORD Id() const { return id_; }
    bool IsRunning() const;
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000) const;
    void Kill();

    // The process's top-level windows, hidden ones included.
    std::vector<HWND> TopWindows() const;
    HWND FindTopWindow(const WindowQuery& query) const;
    HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs = 10000) const;
    // The hidden main window ("THaupt", "Marigoldwick").
    HWND WaitForMainWindow(DWORD timeoutMs = 10000) const;
    // The settings window once it is shown.
    HWND WaitForSettings(DWORD timeoutMs = 10000) const;
    // A visible popup menu window (#32768) of the process, or null.
    HWND Popup() const;
    HWND WaitForPopup(DWORD timeoutMs = 5000) const;
    bool WaitForPopupGone(DWORD timeoutMs = 5000) const;

    // A visible message box (#32770) of the process.
    std::optional<MessageBoxInfo> CurrentMessageBox() const;
    std::optional<MessageBoxInfo> WaitForMessageBox(DWORD timeoutMs = 10000) const;
    // Waits until the box is gone (answered).
    bool WaitForMessageBoxGone(HWND box, DWORD timeoutMs = 10000) const;
    // True when no message box shows up within that time.
    bool NoMessageBoxFor(DWORD ms) const;

    AppProcess(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}

private:
    UniqueHandle process_;
    DWORD id_;
};

// mgoldwk.exe copied from %MGW_BIN% into a folder of its own, so its mgoldwk.ini lives there.
class MgwSandbox {
public:
    [[nodiscard]] static std::optional<MgwSandbox> Create();

    const TempFolder& Folder() const { return folder_; }
    std::string ExePath() const { return folder_.File("mgoldwk.exe"); }
    std::string IniPath() const { return folder_.File("mgoldwk.ini"); }
    [[nodiscard]] bool WriteIni(std::string_view text) const { return folder_.Write("mgoldwk.ini", text); }
    std::optional<std::string> ReadIni() const { return folder_.Read("mgoldwk.ini"); }
    bool HasIni() const { return folder_.Exists("mgoldwk.ini"); }
    [[nodiscard]] std::unique_ptr<AppProcess> Start() const { return AppProcess::Start(ExePath()); }

private:
    explicit MgwSandbox(TempFolder folder) : folder_(std::move(folder)) {}
    TempFolder folder_;
};

// %MGW_BIN% in Windows form, ending in a backslash.
std::string BinFolder();
// A file in the running test program's own folder (the build's bin folder).
std::string BesideTestProgram(std::string_view name);
// Runs a program of the bin folder (a helper) with those arguments and waits for it;
// its exit code, or none when it could not start or did not end in time (then it is ended).
std::optional<DWORD> RunHelper(std::string_view name, const std::string& arguments, DWORD timeoutMs = 20000);
// True while some copy of the program holds the single-instance mutex.
bool MarigoldwickRunning();
// What choosing a command in popup menu `menu` sends the main window: the popup
// request (1026: the menu becomes the active one and pops up), WM_CANCELMODE (the popup
// closes), then WM_COMMAND with the identifier.
[[nodiscard]] bool ChooseMenuCommand(HWND mainWindow, int menu, WORD command);
