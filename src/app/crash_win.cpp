#include "app/crash_win.h"

#include "app/crash_rules.h"
#include "win/application.h"
#include "win/handles.h"
#include "win/message_seam.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <csignal>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

namespace {

// An application-defined exception code (bit 29 set) for the ends that raise none:
// std::terminate, abort and a pure virtual call.
constexpr DWORD AbnormalEnd = 0xE04D4757;
constexpr DWORD InvalidCrtParameter = 0xC0000417;
// How long a fault waits for its dump before the process ends all the same.
constexpr DWORD DumpTimeoutMs = 30000;
// Beside the dumps: the name of the newest one the user was told about.
constexpr char ReportedMarker[] = "reported.txt";

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
using InvalidParameterHandler = void(__cdecl*)(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t);
using SetInvalidParameterHandlerFn = InvalidParameterHandler(__cdecl*)(InvalidParameterHandler);
using PureCallHandler = void(__cdecl*)();
using SetPureCallHandlerFn = PureCallHandler(__cdecl*)(PureCallHandler);

std::vector<DumpFile> FilesIn(const std::string& folder)
{
    std::vector<DumpFile> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const ULARGE_INTEGER time{{found.ftLastWriteTime.dwLowDateTime, found.ftLastWriteTime.dwHighDateTime}};
        files.push_back({Utf8(found.cFileName), time.QuadPart});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

void DeleteOldDumps(const std::string& folder, const std::vector<DumpFile>& files)
{
    for (const std::string& name : DumpsToDelete(files)) DeleteFileW(Wide(folder + name).c_str());
}

std::string ReadSmallFile(const std::string& path)
{
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[256];
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) return {};
    return std::string(buffer, read);
}

bool WriteSmallFile(const std::string& path, const std::string& text)
{
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

// The dumping thread and what a fault hands it. Everything the crash path reads is
// prepared here at start-up: the faulting thread's stack or the heap may be broken.
class DumpWriter {
public:
    DumpWriter()
        : folder_(CrashFolder()),
          wideFolder_(Wide(folder_)),
          parentFolder_(wideFolder_.substr(0, wideFolder_.find_last_of(L'\\', wideFolder_.size() - 2))),
          request_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          done_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (request_ && done_) thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &threadId_));
    }
    DumpWriter(const DumpWriter&) = delete;
    DumpWriter& operator=(const DumpWriter&) = delete;
    ~DumpWriter()
    {
        if (!thread_) return;
        SetEvent(request_.get());  // with no fault handed over: the thread ends
        WaitForSingleObject(thread_.get(), INFINITE);
    }

    // Runs on the faulting thread: hands the fault over and waits as little as it can.
    [[noreturn]] void DumpAndEnd(EXCEPTION_POINTERS* info)
    {
        const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : AbnormalEnd;
        // Only the first fault is dumped: a later one waits for it to end the process, and
        // a fault of the writer itself ends it at once.
        const bool first = InterlockedCompareExchange(&claimed_, 1, 0) == 0;
        const bool writes = thread_ && GetCurrentThreadId() != threadId_;
        if (first && writes) {
            exception_ = info;
            faultingThread_ = GetCurrentThreadId();
            SetEvent(request_.get());
        }
        if (writes) WaitForSingleObject(done_.get(), DumpTimeoutMs);
        TerminateProcess(GetCurrentProcess(), code ? code : AbnormalEnd);
        for (;;) Sleep(INFINITE);
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* writer = static_cast<DumpWriter*>(self);
        // Loaded here, not on the starting thread, which would wait for it on every start;
        // a fault that comes first is written once it is loaded.
        writer->writeDump_.emplace(SystemFunction::ByName("dbghelp.dll", "MiniDumpWriteDump"));
        WaitForSingleObject(writer->request_.get(), INFINITE);
        if (!writer->exception_) return 0;
        writer->Write();
        // After the dump, and with the heap, which the fault may have broken: the next
        // start deletes old dumps again in case this does not finish.
        DeleteOldDumps(writer->folder_, FilesIn(writer->folder_));
        SetEvent(writer->done_.get());
        return 0;
    }

    void Write()
    {
        if (wideFolder_.empty()) return;
        SYSTEMTIME t{};
        GetLocalTime(&t);
        char name[DumpNameCapacity];
        const size_t nameLength = FormatDumpName(
            {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds}, name);
        wchar_t path[MAX_PATH + DumpNameCapacity] = {};
        if (wideFolder_.size() >= MAX_PATH) return;
        wideFolder_.copy(path, wideFolder_.size());
        for (size_t i = 0; i <= nameLength; ++i) path[wideFolder_.size() + i] = static_cast<wchar_t>(name[i]);

        CreateDirectoryW(parentFolder_.c_str(), nullptr);
        CreateDirectoryW(wideFolder_.c_str(), nullptr);
        UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
        MINIDUMP_EXCEPTION_INFORMATION exception{faultingThread_, exception_, FALSE};
        // Stacks and modules only: no heap, so none of the user's data goes into the file.
        const std::optional<BOOL> written = writeDump_->Call<MiniDumpWriteDumpFn>(
            GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, &exception, nullptr, nullptr);
        if (written && *written) return;
        file.reset();
        DeleteFileW(path);
    }

    const std::string folder_;
    const std::wstring wideFolder_;
    const std::wstring parentFolder_;
    // The writer thread only.
    std::optional<SystemFunction> writeDump_;
    UniqueHandle request_;
    UniqueHandle done_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    volatile LONG claimed_ = 0;
    EXCEPTION_POINTERS* volatile exception_ = nullptr;
    DWORD faultingThread_ = 0;
};

namespace {

DumpWriter* g_writer = nullptr;

[[noreturn]] void DumpAndEnd(EXCEPTION_POINTERS* info)
{
    if (g_writer) g_writer->DumpAndEnd(info);
    TerminateProcess(GetCurrentProcess(), info ? info->ExceptionRecord->ExceptionCode : AbnormalEnd);
    for (;;) Sleep(INFINITE);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) { DumpAndEnd(info); }

// For the ends that raise no exception: the context of the caller, as a fault would give.
[[noreturn]] __attribute__((noinline)) void DumpHere(DWORD code)
{
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
    EXCEPTION_POINTERS pointers{&record, &context};
    DumpAndEnd(&pointers);
}

void OnTerminate() { DumpHere(AbnormalEnd); }
void OnAbortSignal(int) { DumpHere(AbnormalEnd); }
void __cdecl OnPureCall() { DumpHere(AbnormalEnd); }
void __cdecl OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t)
{
    DumpHere(InvalidCrtParameter);
}

}  // namespace

CrashGuard::CrashGuard() : writer_(std::make_unique<DumpWriter>())
{
    g_writer = writer_.get();
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbortSignal);
    // Only in the C runtimes that have them (not the first msvcrt.dll of Windows XP).
    (void)SystemFunction::ByName("msvcrt.dll", "_set_invalid_parameter_handler")
        .Call<SetInvalidParameterHandlerFn>(&OnInvalidParameter);
    (void)SystemFunction::ByName("msvcrt.dll", "_set_purecall_handler").Call<SetPureCallHandlerFn>(&OnPureCall);
}

CrashGuard::~CrashGuard()
{
    SetUnhandledExceptionFilter(nullptr);
    g_writer = nullptr;
}

std::string CrashFolder()
{
    // The variable first, as the system sets it for the user: a test points it elsewhere.
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", path, MAX_PATH);
    if ((n == 0 || n >= MAX_PATH) &&
        FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    std::string folder = Utf8(path);
    if (folder.empty()) return {};
    if (folder.back() != '\\') folder += '\\';
    return folder + "Marigoldwick\\crashes\\";
}

void ReportPreviousCrash(HWND owner)
{
    const std::string folder = CrashFolder();
    if (folder.empty()) return;
    const std::vector<DumpFile> files = FilesIn(folder);
    DeleteOldDumps(folder, files);
    const std::optional<std::string> newest = DumpToReport(files, ReadSmallFile(folder + ReportedMarker));
    // Remembered before the message shows: a session that ends meanwhile does not bring it back.
    if (!newest || !WriteSmallFile(folder + ReportedMarker, *newest)) return;
    ShowMessageBox(owner, CrashReportText(folder.substr(0, folder.size() - 1)), ProgramTitle,
                   MB_ICONWARNING | MB_OK);
}

namespace {

constexpr UINT WmCrashTest = WM_APP + 1;
volatile int* volatile g_nowhere = nullptr;

DWORD WINAPI FaultingWorker(void*)
{
    *g_nowhere = 1;
    return 0;
}

void Throw() { throw std::exception(); }
void (*volatile g_throw)() = Throw;
// An exception that reaches a noexcept boundary: std::terminate.
void ThrowOutOfNoexcept() noexcept { g_throw(); }

LRESULT CALLBACK CrashTestProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WmCrashTest) return DefWindowProcW(window, msg, wParam, lParam);
    switch (static_cast<CrashTest>(wParam)) {
    case CrashTest::UiThread:
        *g_nowhere = 1;
        break;
    case CrashTest::WorkerThread:
        CloseHandle(CreateThread(nullptr, 0, FaultingWorker, nullptr, 0, nullptr));
        break;
    case CrashTest::Terminate:
        ThrowOutOfNoexcept();
        break;
    }
    return 0;
}

}  // namespace

void StartCrashTest()
{
    wchar_t variable[8] = {};
    const DWORD n = GetEnvironmentVariableW(Wide(CrashTestVariable).c_str(), variable, 8);
    const std::optional<CrashTest> test =
        CrashTestFor(Utf8(GetCommandLineW()), n > 0 && n < 8 ? Utf8(variable) : std::string());
    if (!test) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = CrashTestProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MarigoldwickCrashTest";
    RegisterClassW(&wc);
    // Lives until the fault ends the process.
    static UniqueWindow window(
        CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    PostMessageW(window.get(), WmCrashTest, static_cast<WPARAM>(*test), 0);
}
