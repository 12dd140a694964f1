// Records how it was started and exits: one line per start, appended to the file named
// by MGW_RECORD, else to recorder.log beside the program. Fields, tab-separated: the
// command line, the current directory, the show command (-1 when none was given).
// '%', tab, CR and LF inside a field are written as %25, %09, %0D, %0A.
#include <windows.h>

#include <string>

namespace {

std::string Escaped(const char* text)
{
    std::string out;
    for (const char* p = text; p && *p; ++p) {
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

std::string LogPath()
{
    char path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("MGW_RECORD", path, sizeof(path));
    if (n > 0 && n < sizeof(path)) return path;
    n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string exe(path, n < sizeof(path) ? n : 0);
    size_t cut = exe.find_last_of("\\/");
    return (cut == std::string::npos ? std::string() : exe.substr(0, cut + 1)) + "recorder.log";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char directory[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryA(sizeof(directory), directory);
    if (n >= sizeof(directory)) directory[0] = '\0';
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    std::string line = Escaped(GetCommandLineA()) + '\t' + Escaped(directory) + '\t' + std::to_string(show) + "\r\n";
    // Several copies may start at once: each appends its whole line in one write.
    HANDLE file = CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == line.size() ? 0 : 1;
}
