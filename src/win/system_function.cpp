#include "win/system_function.h"

#include "win/text_conversion.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

// What Wine raises from a stub: non-continuable, with the module and function names.
constexpr DWORD WineStubException = 0x80000100;

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// [begin, end) of the module's image as loaded.
struct Image {
    const BYTE* begin = nullptr;
    const BYTE* end = nullptr;

    explicit Image(HMODULE module)
    {
        auto base = reinterpret_cast<const BYTE*>(module);
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        if (nt->Signature != IMAGE_NT_SIGNATURE) return;
        begin = base;
        end = base + nt->OptionalHeader.SizeOfImage;
    }
    bool Holds(const void* p, size_t n) const
    {
        auto b = static_cast<const BYTE*>(p);
        return begin && b >= begin && b <= end && n <= static_cast<size_t>(end - b);
    }
};

DWORD Read32(const BYTE* p)
{
    DWORD v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

// Wine's generated stub (i386, as Wine 8 builds its libraries), after padding:
//   sub $12,%esp; movl $function,4(%esp); movl $module,(%esp); call <raise the stub exception>
// Recognised only when the module name it passes is the library's own file name, which no
// real function's code can start with. Other layouts (older or position-independent
// builds) are not recognised here; calling them is still caught by the guard.
bool LooksLikeWineStub(FARPROC proc)
{
    // The library the code lies in: a forwarded export lives in another one.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(proc), &module))
        return false;
    static constexpr BYTE Frame[] = {0x83, 0xEC, 0x0C, 0xC7, 0x44, 0x24, 0x04};
    static constexpr BYTE Module[] = {0xC7, 0x04, 0x24};
    Image image(module);
    auto code = reinterpret_cast<const BYTE*>(proc);
    constexpr size_t Padding = 16;
    constexpr size_t Body = sizeof(Frame) + 4 + sizeof(Module) + 4 + 5;
    if (!image.Holds(code, Padding + Body)) return false;
    for (size_t i = 0; i < Padding && *code == 0x90; ++i) ++code;
    if (std::memcmp(code, Frame, sizeof(Frame)) != 0) return false;
    code += sizeof(Frame) + 4;
    if (std::memcmp(code, Module, sizeof(Module)) != 0 || code[sizeof(Module) + 4] != 0xE8) return false;
    auto name = reinterpret_cast<const char*>(Read32(code + sizeof(Module)));

    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const wchar_t* fileName = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') fileName = p + 1;
    // The stub names its library in ASCII: one byte per character of the file name.
    size_t length = std::wcslen(fileName);
    if (!image.Holds(name, length + 1) || name[length] != '\0') return false;
    const std::wstring stubName = Wide(std::string_view(name, length));
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, stubName.c_str(), static_cast<int>(stubName.size()),
                          fileName, static_cast<int>(length)) == CSTR_EQUAL;
}

// A guarded call in progress on this thread.
struct Guard {
    void* jump[5] = {};  // __builtin_setjmp's buffer
    void* exceptionList = nullptr;
    Guard* outer = nullptr;
};
thread_local Guard* t_guard = nullptr;

// The head of the thread's chain of frame-based handlers: the first word of its TIB, at fs:0.
void* HandlerChain()
{
    void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
void SetHandlerChain(void* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

[[noreturn]] void ResumeAfterStub() { __builtin_longjmp(t_guard->jump, 1); }

// A vectored handler sees the stub's exception before the frame-based handlers and the
// unhandled-exception filter that ends the process. It does not jump from inside the
// dispatcher: it lets the dispatcher return normally into ResumeAfterStub, which then
// unwinds to the guard. Only the stub's own exception is taken; every other one goes on
// as before, so on Windows (which has no such stubs) nothing changes.
LONG CALLBACK CatchStub(EXCEPTION_POINTERS* info)
{
    if (!t_guard || info->ExceptionRecord->ExceptionCode != WineStubException) return EXCEPTION_CONTINUE_SEARCH;
    info->ContextRecord->Eip = reinterpret_cast<DWORD>(&ResumeAfterStub);
    return EXCEPTION_CONTINUE_EXECUTION;
}

HMODULE LoadedModule(const char* module)
{
    const std::wstring name = Wide(module);
    HMODULE handle = GetModuleHandleW(name.c_str());
    return handle ? handle : LoadLibraryW(name.c_str());
}

}  // namespace

bool RunGuarded(void (*call)(void*), void* context)
{
    Guard guard;
    guard.outer = t_guard;
    guard.exceptionList = HandlerChain();
    void* const handler = AddVectoredExceptionHandler(1, CatchStub);
    t_guard = &guard;
    const bool ran = __builtin_setjmp(guard.jump) == 0;
    if (ran)
        call(context);
    else  // the frame-based handlers the abandoned call registered are gone with it
        SetHandlerChain(guard.exceptionList);
    t_guard = guard.outer;
    if (handler) RemoveVectoredExceptionHandler(handler);
    return ran;
}

// Two checks, because neither is enough alone: recognising a stub beforehand lets a menu
// grey its entry, but only for the code layouts known here; the guard around every call
// keeps the program alive whatever the stub's code looks like, but only once called.
SystemFunction::SystemFunction(FARPROC proc) : proc_(proc)
{
    if (!proc)
        state_ = FunctionState::Missing;
    else if (RunningOnWine() && LooksLikeWineStub(proc))
        state_ = FunctionState::Stub;
    else
        state_ = FunctionState::Available;
}

SystemFunction SystemFunction::ByOrdinal(const char* module, WORD ordinal)
{
    HMODULE handle = LoadedModule(module);
    return SystemFunction(handle ? GetProcAddress(handle, MAKEINTRESOURCEA(ordinal)) : nullptr);
}

SystemFunction SystemFunction::ByName(const char* module, const char* name)
{
    HMODULE handle = LoadedModule(module);
    return SystemFunction(handle ? GetProcAddress(handle, name) : nullptr);
}

bool EndWorkerThread(HANDLE thread, DWORD withinMs, DWORD cancelEveryMs)
{
    static SystemFunction cancel = SystemFunction::ByName("kernel32.dll", "CancelSynchronousIo");
    const DWORD started = GetTickCount();
    while (WaitForSingleObject(thread, cancelEveryMs) == WAIT_TIMEOUT) {
        if (GetTickCount() - started + cancelEveryMs >= withinMs) return false;
        (void)cancel.Call<BOOL(WINAPI*)(HANDLE)>(thread);
    }
    return true;
}
