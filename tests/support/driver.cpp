#include "driver.h"

#include "win/text_conversion.h"

#include <algorithm>
#include <atomic>

namespace {

void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(Wide(folder + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        ScopeGuard close([find] { FindClose(find); });
        do {
            std::string name = Utf8(found.cFileName);
            if (name == "." || name == "..") continue;
            std::string full = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(full + "\\");
            } else {
                SetFileAttributesW(Wide(full).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Wide(full).c_str());
            }
        } while (FindNextFileW(find, &found));
    }
    RemoveDirectoryW(Wide(folder).c_str());
}

struct EnumState {
    DWORD pid;
    std::vector<HWND>* windows;
};

BOOL CALLBACK CollectProcessWindows(HWND hwnd, LPARAM lParam)
{
    auto* state = reinterpret_cast<EnumState*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid) state->windows->push_back(hwnd);
    return TRUE;
}

bool Matches(HWND hwnd, const WindowQuery& query)
{
    if (query.visibleOnly && !IsWindowVisible(hwnd)) return false;
    if (!query.className.empty() && WindowClass(hwnd) != query.className) return false;
    if (!query.caption.empty() && WindowText(hwnd) != query.caption) return false;
    return true;
}

}  // namespace

std::string WindowText(HWND window)
{
    // WM_GETTEXT rather than GetWindowText: it reads controls of other processes too.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(std::min<size_t>(copied, length));
    return Utf8(text);
}

std::string WindowClass(HWND window)
{
    wchar_t name[256] = {};
    int n = GetClassNameW(window, name, 256);
    return Utf8(std::wstring_view(name, n > 0 ? static_cast<size_t>(n) : 0));
}

RECT ScreenPlace(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool Encloses(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

std::string Ini(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) text.append(line).append("\r\n");
    return text;
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *key;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        Sleep(stepMs);
    }
}

// ---- TempFolder ----

std::optional<TempFolder> TempFolder::Create()
{
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH] = {};
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return std::nullopt;
    std::string base = Utf8(temp);
    if (base.back() != '\\') base += '\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = base + "mgw-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
        if (CreateDirectoryW(Wide(path).c_str(), nullptr)) return TempFolder(path + "\\");
    }
    return std::nullopt;
}

TempFolder::TempFolder(TempFolder&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept
{
    if (this != &other) {
        if (!path_.empty()) DeleteTree(path_);
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

TempFolder::~TempFolder()
{
    if (!path_.empty()) DeleteTree(path_);
}

bool TempFolder::Write(std::string_view name, std::string_view bytes) const
{
    UniqueHandle file(CreateFileW(Wide(File(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::optional<std::string> TempFolder::Read(std::string_view name) const
{
    UniqueHandle file(CreateFileW(Wide(File(name)).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool TempFolder::Exists(std::string_view name) const
{
    return GetFileAttributesW(Wide(File(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- message boxes and controls ----

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.hwnd = box;
    info.caption = WindowText(box);
    if (HWND text = GetDlgItem(box, 0xFFFF)) info.text = WindowText(text);
    return info;
}

bool AnswerMessageBox(HWND box, int buttonId)
{
    HWND button = GetDlgItem(box, buttonId);
    if (!button || !IsWindowEnabled(button)) return false;
    return Post(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

namespace {
struct ChildSearch {
    std::string_view className;
    std::string_view text;
    HWND found;
};

// A named CALLBACK: on i686 a lambda does not convert to a __stdcall procedure.
BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<ChildSearch*>(lParam);
    if ((s->className.empty() || WindowClass(hwnd) == s->className) && WindowText(hwnd) == s->text) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindChild(HWND parent, std::string_view className, std::string_view text)
{
    ChildSearch search{className, text, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {
BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM found)
{
    if (WindowClass(hwnd) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}
}  // namespace

HWND ThreadDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::pair<int, int>> OverlappingChildren(HWND window)
{
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        if (IsWindowVisible(c) && GetWindowRect(c, &r)) shown.push_back({c, r});
    }
    std::vector<std::pair<int, int>> overlaps;
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT a = shown[i].second, b = shown[j].second, common{}, all{};
            if (!IntersectRect(&common, &a, &b)) continue;
            UnionRect(&all, &a, &b);
            if (!EqualRect(&all, &a) && !EqualRect(&all, &b))
                overlaps.push_back({GetDlgCtrlID(shown[i].first), GetDlgCtrlID(shown[j].first)});
        }
    return overlaps;
}

bool ClickButton(HWND window, std::string_view caption)
{
    HWND button = FindChild(window, "Button", caption);
    // The button's own style, not IsWindowVisible: a click may be queued before its window shows.
    if (!button || !IsWindowEnabled(button) || !(GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE)) return false;
    return Post(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                reinterpret_cast<LPARAM>(button));
}

bool Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return window && PostMessageW(window, msg, wParam, lParam);
}

// ---- AppProcess ----

std::unique_ptr<AppProcess> AppProcess::Start(const std::string& exePath, const std::string& arguments)
{
    std::string folder = exePath.substr(0, exePath.find_last_of('\\') + 1);
    std::wstring commandLine = Wide("\"" + exePath + "\"");
    if (!arguments.empty()) commandLine += Wide(" " + arguments);
    const std::wstring wideFolder = Wide(folder);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(Wide(exePath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : wideFolder.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return std::make_unique<AppProcess>(UniqueHandle(pi.hProcess), pi.dwProcessId);
}

AppProcess::~AppProcess() { Kill(); }

bool AppProcess::IsRunning() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

std::optional<DWORD> AppProcess::WaitForExit(DWORD timeoutMs) const
{
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
}

void AppProcess::Kill()
{
    if (!IsRunning()) return;
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 10000);
}

std::vector<HWND> AppProcess::TopWindows() const
{
    std::vector<HWND> windows;
    EnumState state{id_, &windows};
    EnumWindows(&CollectProcessWindows, reinterpret_cast<LPARAM>(&state));
    return windows;
}

HWND AppProcess::FindTopWindow(const WindowQuery& query) const
{
    for (HWND hwnd : TopWindows())
        if (Matches(hwnd, query)) return hwnd;
    return nullptr;
}

HWND AppProcess::WaitForWindow(const WindowQuery& query, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(query)) != nullptr || !IsRunning(); }, timeoutMs);
    return found;
}

HWND AppProcess::WaitForMainWindow(DWORD timeoutMs) const
{
    HWND main = WaitForWindow({"THaupt", "Marigoldwick"}, timeoutMs);
    // The window can be found while its creation still runs; a message posted then
    // would be handled in the middle of start-up. Once the program has waited for
    // input (its first message pump, or a box start-up shows), it has got past that.
    if (main) WaitForInputIdle(process_.get(), timeoutMs);
    return main;
}
HWND AppProcess::WaitForSettings(DWORD timeoutMs) const
{
    return WaitForWindow({"TfrmKonfig", "Marigoldwick - Settings", true}, timeoutMs);
}

HWND AppProcess::Popup() const { return FindTopWindow({"#32768", "", true}); }

HWND AppProcess::WaitForPopup(DWORD timeoutMs) const { return WaitForWindow({"#32768", "", true}, timeoutMs); }

bool AppProcess::WaitForPopupGone(DWORD timeoutMs) const
{
    return WaitUntil([&] { return Popup() == nullptr; }, timeoutMs);
}

std::optional<MessageBoxInfo> AppProcess::CurrentMessageBox() const
{
    HWND box = FindTopWindow({"#32770", "", true});
    if (!box) return std::nullopt;
    return ReadMessageBox(box);
}

std::optional<MessageBoxInfo> AppProcess::WaitForMessageBox(DWORD timeoutMs) const
{
    std::optional<MessageBoxInfo> box;
    WaitUntil([&] { return (box = CurrentMessageBox()).has_value() || !IsRunning(); }, timeoutMs);
    return box;
}

bool AppProcess::WaitForMessageBoxGone(HWND box, DWORD timeoutMs) const
{
    return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
}

bool AppProcess::NoMessageBoxFor(DWORD ms) const
{
    return !WaitUntil([&] { return CurrentMessageBox().has_value(); }, ms);
}

// ---- MgwSandbox and helpers ----

std::string BesideTestProgram(std::string_view name)
{
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::string path = Utf8(exe);
    return path.substr(0, path.find_last_of('\\') + 1) + std::string(name);
}

std::string BinFolder()
{
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"MGW_BIN", value, MAX_PATH);
    std::string bin = (n > 0 && n < MAX_PATH) ? Utf8(std::wstring_view(value, n)) : std::string();
    std::replace(bin.begin(), bin.end(), '/', '\\');
    if (!bin.empty() && bin.back() != '\\') bin += '\\';
    return bin;
}

std::optional<MgwSandbox> MgwSandbox::Create()
{
    std::string bin = BinFolder();
    if (bin.empty()) return std::nullopt;
    std::optional<TempFolder> folder = TempFolder::Create();
    if (!folder) return std::nullopt;
    if (!CopyFileW(Wide(bin + "mgoldwk.exe").c_str(), Wide(folder->File("mgoldwk.exe")).c_str(), FALSE)) return std::nullopt;
    return MgwSandbox(std::move(*folder));
}

std::optional<DWORD> RunHelper(std::string_view name, const std::string& arguments, DWORD timeoutMs)
{
    std::unique_ptr<AppProcess> helper = AppProcess::Start(BinFolder() + std::string(name), arguments);
    if (!helper) return std::nullopt;
    return helper->WaitForExit(timeoutMs);
}

bool MarigoldwickRunning()
{
    return static_cast<bool>(UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, L"Marigoldwick")));
}

bool ChooseMenuCommand(HWND mainWindow, int menu, WORD command)
{
    // The popup opens; WM_CANCELMODE closes it again before the command arrives, as
    // after a click on a menu entry.
    return Post(mainWindow, WM_USER + 2, static_cast<WPARAM>(menu), 0) && Post(mainWindow, WM_CANCELMODE) &&
           Post(mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

HWND ChildAt(HWND window, POINT point, std::string_view className)
{
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        if (WindowClass(child) == className && PtInRect(&place, point)) return child;
    }
    return nullptr;
}
