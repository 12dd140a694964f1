// Program start: one copy per logon, the main window, the settings window, the loop.
#include "app/crash_win.h"
#include "app/haupt_win.h"
#include "app/single_instance_win.h"
#include "config/config_win.h"
#include "dragdrop/drop_source_win.h"
#include "menus/folder_lister_win.h"
#include "menus/picture_worker_win.h"
#include "quick/quick_catalog_win.h"
#include "settings/konfig_win.h"
#include "win/application.h"
#include "win/command_ids.h"
#include "win/handles.h"

#include <commctrl.h>
#include <ole2.h>

namespace {
// Found by every running copy of any version: it stays as it is whatever the title becomes.
constexpr wchar_t InstanceMutexName[] = L"Marigoldwick";

int Run()
{
    // Held, never released, until the process ends. A later copy asks the running one to
    // show itself and leaves, so a start from the Start menu always shows something.
    UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, InstanceMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS && !TakeOverFromRunningCopy(instanceMutex.get())) return 0;

    InitVersionFlags();
    // OLE, the shell's allocator and clipboard formats for drag and drop, until the end.
    DropSourceModule dropSource;
    if (!dropSource.Ready()) return 1;

    LoadCommonControls(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES);

    std::unique_ptr<THaupt> haupt = THaupt::Create();
    if (!haupt) return 1;
    // Destroyed before the main window, which it belongs to.
    std::unique_ptr<TfrmKonfig> frmKonfig;
    haupt->AttachSettings([&frmKonfig, h = haupt.get()] {
        frmKonfig = TfrmKonfig::Create(h->Handle(), SettingsHost(*h));
        return frmKonfig.get();
    });

    ReportPreviousCrash(haupt->Handle());
    PostMessageW(haupt->Handle(), WmStartupDone, 0, 0);
    StartCrashTest();
    return RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // First of all: from here on no fault ends the program without a dump.
    CrashGuard crashGuard;
    const int code = Run();
    // A picture or catalog worker stuck in a read that could not be cancelled still runs:
    // end now, before static destructors take away what it may use.
    if (PictureWorker::AnyLeftRunning() || CatalogService::AnyLeftRunning() || FolderLister::AnyLeftRunning())
        ExitProcess(static_cast<UINT>(code));
    return code;
}
