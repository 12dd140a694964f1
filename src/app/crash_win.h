// Nothing dies silently: a fault that no code handles leaves a minidump in the user's
// crashes folder and ends the process; the next start says so once. No dump leaves the
// computer.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class DumpWriter;

// While it exists, a fault on any thread that nothing handles (an access violation, an
// exception leaving a thread, std::terminate, abort, the C runtime's invalid-parameter and
// pure-call ends) writes a dump to CrashFolder() and ends the process. Without dbghelp.dll
// the process still ends, only without a dump.
class CrashGuard {
public:
    CrashGuard();
    CrashGuard(const CrashGuard&) = delete;
    CrashGuard& operator=(const CrashGuard&) = delete;
    ~CrashGuard();

private:
    std::unique_ptr<DumpWriter> writer_;
};

// %LOCALAPPDATA%\Marigoldwick\crashes\, or empty when this user has no such folder.
std::string CrashFolder();

// Keeps the newest dumps only and, once per dump, tells the user that the previous run
// ended in a fault and where its dump is.
void ReportPreviousCrash(HWND owner);

// The fault the test-only switch asks for, on the UI thread's next messages.
void StartCrashTest();
