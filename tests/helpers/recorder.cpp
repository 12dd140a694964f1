// Records how it was started and exits: one line per start, appended to the file named
// by MGW_RECORD, else to recorder.log beside the program. Fields, tab-separated: the
// command line, the current directory, the show command (-1 when none was given).
// Texts are written as UTF-8 from the wide forms, so any name comes through exactly;
// '%', tab, CR and LF inside a field are written as %25, %09, %0D, %0A.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* wide)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    text.pop_back();
    return text;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char* p = text.c_str(); *p; ++p) {
        switch (*p) {
        case '%': out += "%25"; break;
        case '\t': out += "%09"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += *p;
        }
    }
    return out;
}

std::wstring LogPath()
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"MGW_RECORD", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return path;
    n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path, n < MAX_PATH ? n : 0);
    size_t cut = exe.find_last_of(L"\\/");
    return (cut == std::wstring::npos ? std::wstring() : exe.substr(0, cut + 1)) + L"recorder.log";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t directory[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH, directory);
    if (n >= MAX_PATH) directory[0] = L'\0';
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    std::string line = Escaped(Utf8(GetCommandLineW())) + '\t' + Escaped(Utf8(directory)) + '\t' +
                       std::to_string(show) + "\r\n";
    // Several copies may start at once: each appends its whole line in one write.
    HANDLE file = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size() ? 0 : 1;
}
