#include "app/single_instance_win.h"

namespace {

// The class of the hidden main window, THaupt; its caption may change, its class does not.
constexpr wchar_t MainClass[] = L"THaupt";
// How long a later start keeps trying: the running copy may still be starting up, or busy
// loading its menus.
constexpr DWORD PatienceMs = 10000;
constexpr DWORD AnswerTimeoutMs = 3000;

bool TellRunningCopy()
{
    const DWORD self = GetCurrentProcessId();
    for (HWND main = FindWindowExW(nullptr, nullptr, MainClass, nullptr); main;
         main = FindWindowExW(nullptr, main, MainClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(main, &owner);
        if (owner == self) continue;
        // This start came from the user, so it may hand the foreground to the running copy.
        AllowSetForegroundWindow(owner);
        // Any answer ends the search: an older version, which answers 0, has no way to show itself.
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(main, RevealRequestMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, AnswerTimeoutMs,
                                &answer))
            return true;
    }
    return false;
}

}  // namespace

UINT RevealRequestMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Marigoldwick.Reveal");
    return message;
}

bool TakeOverFromRunningCopy(HANDLE mutex)
{
    const DWORD start = GetTickCount();
    do {
        if (TellRunningCopy()) return false;
        // A copy on its way out leaves the mutex abandoned: this one then runs instead.
        const DWORD wait = mutex ? WaitForSingleObject(mutex, 100) : WAIT_TIMEOUT;
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
        if (!mutex) Sleep(100);
    } while (GetTickCount() - start < PatienceMs);
    return false;
}
