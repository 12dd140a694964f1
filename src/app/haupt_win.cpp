#include "app/haupt_win.h"

#include "app/hotkeys_win.h"
#include "app/single_instance_win.h"
#include "app/tray_win.h"
#include "config/config_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "launch/launch_win.h"
#include "menus/item_geometry.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "menus/menus_win.h"
#include "settings/konfig_drop_win.h"
#include "settings/konfig_win.h"
#include "settings/options_win.h"
#include "shell/idlist_win.h"
#include "shell/path_text.h"
#include "settings/quit_question_win.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/resource_ids.h"
#include "win/system_function.h"
#include "win/text_conversion.h"
#include "win/user_objects.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Places finished entry pictures should their wake-up message get lost.
constexpr UINT_PTR PictureWatchTimer = 1;

constexpr char WelcomeText[] =
    "Welcome to Marigoldwick.\r"
    "Please create at least one menu by pressing the top 'Add' button. After that you can easily add items to "
    "the menu by dragging items from the desktop or explorer and dropping them on the item list.";

constexpr char RestoreQuestion[] =
    "Settings you changed before Windows ended the session were not saved.\rRestore them?";

// Beside the user's file, which the session's end does not overwrite unasked.
std::string UnsavedFile() { return IniFile + ".unsaved"; }

// The placeholder when the program carries no such picture (the test programs do not).
UniqueIcon BlankIcon()
{
    std::vector<BYTE> andMask(32 * 32 / 8, 0xFF);
    std::vector<BYTE> xorMask(32 * 32 / 8, 0x00);
    return UniqueIcon(CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask.data(), xorMask.data()));
}

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// Wine places a popup within the screen it knew before a mode change: the open menu
// window is moved back inside the work area (on Windows it already lies inside).
void KeepInsideWorkArea(HWND menuWindow)
{
    RECT place{};
    // The handle is the menu's own window under Wine; leave any other (the owner) alone.
    wchar_t className[8] = L"";
    GetClassNameW(menuWindow, className, 8);
    if (lstrcmpW(className, L"#32768") != 0 || !GetWindowRect(menuWindow, &place)) return;
    RECT work = WorkAreaOf(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST));
    LONG dx = std::max(std::min(0L, work.right - place.right), work.left - place.left);
    LONG dy = std::max(std::min(0L, work.bottom - place.bottom), work.top - place.top);
    if (dx != 0 || dy != 0)
        SetWindowPos(menuWindow, nullptr, place.left + dx, place.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueIcon LoadPicture(int id)
{
    HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, 0);
    if (image) return UniqueIcon(static_cast<HICON>(image));
    return BlankIcon();
}

}  // namespace

std::unique_ptr<THaupt> THaupt::Create(const Options& options)
{
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    if (!RegisterWindowClass({"THaupt", icon})) return nullptr;
    auto haupt = std::make_unique<THaupt>(Key{});
    haupt->options_ = options;

    // Client height 0 and minimized, never shown. A top-level window rather than a
    // message-only one, so that broadcasts such as "TaskbarCreated" reach it; as a tool
    // window it never gets a taskbar button of its own.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MINIMIZE;
    constexpr DWORD exStyle = WS_EX_TOOLWINDOW;
    RECT frame{0, 0, 200, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    if (!haupt->CreateWindowFor({"THaupt", ProgramTitle, style, exStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                 frame.right - frame.left, frame.bottom - frame.top}))
        return nullptr;
    // A copy running as administrator still hears a later start that runs as the user.
    static SystemFunction allowMessage = SystemFunction::ByName("user32.dll", "ChangeWindowMessageFilterEx");
    static_cast<void>(allowMessage.Call<BOOL(WINAPI*)(HWND, UINT, DWORD, void*)>(
        haupt->Handle(), RevealRequestMessage(), DWORD{1} /* MSGFLT_ALLOW */, nullptr));
    return haupt;
}

THaupt::~THaupt()
{
    if (MainWindow() == Handle()) {
        // The icons and popup menus live as long as the controller that shows them.
        EndOpenPopup();
        DestroyMenus();
        ownIcon_.Show(false, dpi_);
        SetTrayController(nullptr);
        SetMainWindow(nullptr);
    }
    DestroyHandle();
    // Menus made later must not reach for this window's pictures through a stale factory.
    NewMenuImages = nullptr;
}

void THaupt::FormCreate()
{
    SetMainWindow(Handle());
    SetTrayController(this);
    canvas_.reset(CreateCompatibleDC(nullptr));
    ProcessPendingMessages();

    std::string dir =
        WithTrailingBackslash(options_.programDir ? *options_.programDir : std::string(FolderPart(OwnModulePath())));
    IniFile = dir + std::string(FileNamePart(IniFile));
    HelpFile = dir + std::string(FileNamePart(HelpFile));
    ReadmeFile = dir + std::string(FileNamePart(ReadmeFile));

    // Without the desktop folder only naming dropped shell items fails later; starting
    // up goes on.
    if (FAILED(SHGetDesktopFolder(desktopFolder_.ReleaseAndGetAddressOf()))) desktopFolder_.Reset();

    auto pictures = std::make_shared<EntryPictures>();
    pictures->ImgIconLeer = LoadPicture(IDI_IMGICONLEER);
    pictures->ImgIconSeparator = LoadPicture(IDI_IMGICONSEPARATOR);
    pictures_ = pictures;
    entryPictures_ = std::make_shared<EntryPictureService>(
        pictures_, options_.pictureSource ? *options_.pictureSource : ProgramPictureSource(),
        [window = Handle()] { return PostMessageW(window, WmEntryPicturesReady, 0, 0) != FALSE; },
        // The last resort should a wake-up get lost: slow, and only while pictures are awaited.
        [window = Handle()](bool on) {
            if (on) SetTimer(window, PictureWatchTimer, 2000, nullptr);
            else KillTimer(window, PictureWatchTimer);
        });
    NewMenuImages = MakeMenuImagesFactory(entryPictures_);
    folderPopups_ = std::make_unique<FolderPopups>(FolderPopups::Host{
        Handle(), entryPictures_,
        [this](int menu) {
            // Shown again where it was, once the menu loop has ended.
            EndMenu();
            PostMessageW(Handle(), WmShowPopup, static_cast<WPARAM>(menu), 0);
        },
        options_.folderReader});
    toolsMenu_ = std::make_unique<ToolsMenu>(ToolsMenuHost{Handle(), LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"),
                                                           [this] { ShowSettings(); },
                                                           [this] { TPMQuitMarigoldwick1Click(); }});

    if (!LoadConfig()) ShowMessageBox(Handle(), "Error loading configuration data.", ProgramTitle, MB_ICONERROR);
    restored_ = OfferUnsavedSettings();
    dpi_ = popupDpi_ = WindowDpi(Handle());
    static_cast<void>(RefreshTheme());
    BuildMenus(&TrayWindowProc, dpi_);
    UpdateOwnIcon();
    // Made on the worker thread: start-up and the first popup do not wait for them.
    RequestEntryPictures(MenuList, PictureSizeFor(Konfig.IconSize, static_cast<int>(dpi_)), lastMenu_);
    RunAutostartItems();
    RegisterHotkeys();
    ShowTaskbarButton(false);
    quickHistory_ = std::make_unique<HistoryStore>(HistoryFileBeside(IniFile), SystemCaseFold);
    ClearQuickHistory = [this] {
        if (quickHistory_) quickHistory_->Clear();
    };
}

void THaupt::FormDestroy()
{
    // Quitting does not wait for the pictures still to be made.
    if (entryPictures_) entryPictures_->Stop();
    folderPopups_.reset();
    catalog_.reset();
    quickBox_.reset();
    ClearQuickHistory = nullptr;
    quickHistory_.reset();
    canvas_.reset();
}

bool THaupt::FormCloseQuery()
{
    EndOpenPopup();
    ClearModel();
    return true;
}

void THaupt::EndSession()
{
    if (std::exchange(sessionEnded_, true)) return;
    ShutdownPending = true;
    // Nothing more can be done about a copy that fails: the session is ending.
    if (ConfigChangedSinceSave()) static_cast<void>(SaveConfigCopy(UnsavedFile()));
    EndOpenPopup();
    if (settings_ && settings_->IsShown()) {
        // As quitting from the settings window does: its loop ends before the model goes.
        ownIcon_.Show(false, dpi_);
        TerminateApplication();
        return;
    }
    if (FormCloseQuery()) DestroyWindow(Handle());
}

bool THaupt::OfferUnsavedSettings()
{
    const std::wstring unsaved = Wide(UnsavedFile());
    if (GetFileAttributesW(unsaved.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    if (ShowMessageBox(Handle(), RestoreQuestion, ProgramTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        DeleteFileW(unsaved.c_str());
        return false;
    }
    ReleaseMenus(MenuList);
    Konfig = TKonfig{};
    // The edits are in memory now, unsaved as they were; a copy that did not read whole stays.
    if (LoadConfigFrom(UnsavedFile()))
        DeleteFileW(unsaved.c_str());
    else
        ShowMessageBox(Handle(), "Error loading configuration data.", ProgramTitle, MB_ICONERROR);
    return true;
}

void THaupt::ClearModel()
{
    DestroyMenus();
    ownIcon_.Show(false, dpi_);
    ReleaseMenus(MenuList);
}

void THaupt::ShowTaskbarButton(bool shown)
{
    if (TfrmKonfig* settings = Settings()) settings->ShowTaskbarButton(shown);
}

void THaupt::ShowWelcome()
{
    if (!MenuList.empty()) return;
    ShowMessageBox(Handle(), WelcomeText, ProgramTitle, MB_ICONINFORMATION);
    ShowSettings();
}

TfrmKonfig* THaupt::Settings()
{
    if (!settings_ && createSettings_) {
        std::function<TfrmKonfig*()> create = std::move(createSettings_);
        createSettings_ = nullptr;
        settings_ = create();
    }
    return settings_;
}

void THaupt::ShowSettings()
{
    TfrmKonfig* settings = Settings();
    if (!settings) return;
    if (settings->IsShown()) {
        settings->BringToFront();
        return;
    }
    ShowTaskbarButton(true);
    DestroyMenus();
    UpdateOwnIcon();
    UnregisterHotkeys();
    const std::vector<QuickFolder> folders = Konfig.QuickFolders;
    const std::vector<FolderMenuSource> folderMenus = FolderMenuSources(MenuList);
    if (settings->ShowModal(Handle()) == ModalResult::Terminated) return;
    if (catalog_ && Konfig.QuickFolders != folders) catalog_->SetFolders(Konfig.QuickFolders);
    if (std::vector<FolderMenuSource> now = FolderMenuSources(MenuList); catalog_ && now != folderMenus)
        catalog_->SetFolderMenus(std::move(now));
    popupDpi_ = dpi_;
    static_cast<void>(RefreshTheme());
    BuildMenus(&TrayWindowProc, dpi_);
    UpdateOwnIcon();
    RequestEntryPictures(MenuList, PictureSizeFor(Konfig.IconSize, static_cast<int>(dpi_)), lastMenu_);
    if (folderPopups_) folderPopups_->ReadAhead();
    // The menus may have moved meanwhile; the window remembers its own choice until a
    // popup is shown again.
    lastMenu_ = -1;
    RegisterHotkeys();
    ShowTaskbarButton(false);
}

void THaupt::ThemeChanged()
{
    // Every top-level window hears the change and reads the theme again: whichever comes
    // first sees it change, so the popups compare with what they were made for.
    static_cast<void>(RefreshTheme());
    if (quickBox_) quickBox_->ThemeChanged();
}

void THaupt::ShowQuickBox()
{
    // The settings window edits the entries the box would list.
    if (settings_ && settings_->IsShown()) return;
    if (!quickBox_) {
        quickBox_ = QuickBox::Create(Handle());
        if (!quickBox_) return;
        QuickBox::Services services;
        services.history = quickHistory_.get();
        services.catalog = [this] { return catalog_ ? catalog_->Now() : nullptr; };
        services.addToMenu = [this](int menu, const QuickBox::Row& row, const std::string& path) {
            AddToMenu(menu, row, path);
        };
        services.pictures = entryPictures_;
        quickBox_->SetServices(std::move(services));
    }
    quickBox_->Open();
}

void THaupt::AddToMenu(int menu, const QuickBox::Row& row, const std::string& path)
{
    TOneMenu* target = MenuAt(menu);
    if (!target || target->IsFull()) return;
    std::unique_ptr<TOneItem> item;
    if (row.menu >= 0) {
        const TOneItem* entry = QuickEntry(row.menu, row.item);
        if (!entry) return;
        item = std::make_unique<TOneItem>(*entry);
        item->ImageIndex = -1;
    } else {
        ShellIdList list(ILCreateFromPathW(Wide(path).c_str()));
        if (!list) {
            ShowMessageBox(Handle(), "\"" + path + "\" could not be found.", ProgramTitle, MB_ICONERROR);
            return;
        }
        item = DroppedItem(list.get(), desktopFolder_.Get());
    }
    AddItem(*target, std::move(item));
    BuildPopupMenus(popupDpi_);
    RequestEntryPictures(MenuList, PictureSizeFor(Konfig.IconSize, static_cast<int>(dpi_)), menu);
    if (!SaveConfig()) ShowMessageBox(Handle(), "Error saving configuration data.", ProgramTitle, MB_ICONERROR);
}

void THaupt::QuitWithConfirmation()
{
    if (!ConfirmQuit(Handle(), ShutdownPending, "Really quit Marigoldwick ?")) return;
    SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void THaupt::TPMQuitMarigoldwick1Click() { QuitWithConfirmation(); }

void THaupt::FormCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != 0 || ActiveMenuIndex < 0) return;
    WORD id = LOWORD(wParam);
    if (id == CmdSettings) {
        ShowSettings();
    } else if (id == CmdQuit) {
        QuitWithConfirmation();
    } else if (id == CmdQuickLaunch) {
        ShowQuickBox();
    } else if (folderPopups_ && folderPopups_->Command(id)) {
    } else if (TOneMenu* menu = MenuAt(ActiveMenuIndex); menu && id < menu->Items.size()) {
        LaunchItem(ActiveMenuIndex, id, false);
    }
    ActiveMenuIndex = -1;
}

LRESULT THaupt::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        FormCreate();
        return 0;
    case WmStartupDone:
        started_ = true;
        // The tray icons are up: what the box finds beyond the menus is gathered meanwhile.
        if (!catalog_)
            catalog_ = std::make_unique<CatalogService>(StartMenuFolders(), Konfig.QuickFolders, [window = Handle()] {
                PostMessageW(window, WmCatalogReady, 0, 0);
            }, FolderMenuSources(MenuList));
        if (folderPopups_) folderPopups_->ReadAhead();
        if (!MenuList.empty() && (std::exchange(revealAsked_, false) | std::exchange(restored_, false)))
            ShowSettings();
        else
            ShowWelcome();
        if (createSettings_) PostMessageW(Handle(), WmCreateSettings, 0, 0);
        return 0;
    case WmCreateSettings:
        Settings();
        return 0;
    case WmShowPopup:
        ShowPopupMenu(wParam);
        return 0;
    case WmReveal:
        Reveal();
        return 0;
    case WM_HOTKEY: {
        LRESULT result = DefaultHandling(msg, wParam, lParam);
        HotkeyPressed(wParam);
        return result;
    }
    case WM_MEASUREITEM:
        if (wParam == 0 && folderPopups_ && folderPopups_->Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return TRUE;
        if (wParam == 0 && (WMMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), ActiveMenuIndex, MenuList,
                                          Konfig, MenuDpi()) ||
                            MeasureFixedItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))))
            return TRUE;
        return DefaultHandling(msg, wParam, lParam);
    case WM_DRAWITEM:
        if (wParam == 0 && folderPopups_ && folderPopups_->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return TRUE;
        if (wParam == 0 &&
            (WMDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), ActiveMenuIndex, MenuList, Konfig, MenuFont(),
                        MenuDpi()) ||
             DrawFixedItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))))
            return TRUE;
        return DefaultHandling(msg, wParam, lParam);
    case WM_MENUCHAR: {
        LRESULT def = DefaultHandling(msg, wParam, lParam);
        // As the system does for the fixed commands it draws itself, before any entry.
        const int fixed = FixedCommandByMnemonic(reinterpret_cast<HMENU>(lParam), static_cast<wchar_t>(LOWORD(wParam)));
        if (fixed >= 0) return MAKELRESULT(fixed, MNC_EXECUTE);
        if (folderPopups_)
            if (auto answer = folderPopups_->MenuChar(LOWORD(wParam), reinterpret_cast<HMENU>(lParam))) return *answer;
        return WMMenuChar(wParam, lParam, def, ActiveMenuIndex, PopupMenuOf(ActiveMenuIndex), MenuList,
                          [](int menu, int item) { LaunchItem(menu, item, false); });
    }
    case WM_INITMENUPOPUP:
        if (folderPopups_) folderPopups_->Opened(reinterpret_cast<HMENU>(wParam));
        return DefaultHandling(msg, wParam, lParam);
    case WM_UNINITMENUPOPUP:
        if (folderPopups_) folderPopups_->Closed(reinterpret_cast<HMENU>(wParam));
        return DefaultHandling(msg, wParam, lParam);
    case WmFolderListed:
        if (folderPopups_) folderPopups_->Listed();
        return 0;
    case WmCatalogReady:
        if (quickBox_) quickBox_->CatalogChanged();
        return 0;
    case WmEntryPicturesReady:
        if (entryPictures_) entryPictures_->PlaceFinished();
        return 0;
    case WM_TIMER:
        if (wParam != PictureWatchTimer) return DefaultHandling(msg, wParam, lParam);
        if (entryPictures_) entryPictures_->PlaceFinished();
        return 0;
    case WmPendingPictures:
        return PendingEntryPictures(MenuList);
    case WmCountUserObjects:
        return UserObjectsIfAsked();
    case WM_COMMAND: {
        LRESULT result = DefaultHandling(msg, wParam, lParam);
        if (!ToolsCommand(wParam)) FormCommand(wParam);
        return result;
    }
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && popupOpen_) KeepInsideWorkArea(reinterpret_cast<HWND>(lParam));
        return DefaultHandling(msg, wParam, lParam);
    case WM_DISPLAYCHANGE:
        DisplayChanged();
        return DefaultHandling(msg, wParam, lParam);
    case WM_SYSCOLORCHANGE:
        ThemeChanged();
        return DefaultHandling(msg, wParam, lParam);
    case WM_SETTINGCHANGE:
        // A new work area, or a new menu font at the same scale: the popups are measured again.
        if (wParam == SPI_SETWORKAREA || wParam == SPI_SETNONCLIENTMETRICS) DisplayChanged();
        // "ImmersiveColorSet" (light or dark) and SPI_SETHIGHCONTRAST both come this way.
        ThemeChanged();
        ScaleChanged(WindowDpi(Handle()), false);
        return DefaultHandling(msg, wParam, lParam);
    case WmDpiChanged:
        // Hidden and minimised, the window keeps its place: only what it shows elsewhere scales.
        if (HIWORD(wParam) > 0) ScaleChanged(HIWORD(wParam), false);
        return 0;
    case WM_CLOSE:
        // After the session's end the settings window's loop is ending: the model it shows stays.
        if (!sessionEnded_ && FormCloseQuery()) DestroyWindow(Handle());
        return 0;
    case WM_QUERYENDSESSION:
        // Only an answer: another program may still cancel the logoff, and then everything
        // must be as it was.
        if (ConfigSaveUnderWay()) return FALSE;
        ShutdownPending = true;
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        else
            ShutdownPending = false;
        return 0;
    case WM_DESTROY:
        FormDestroy();
        if (MainWindow() == Handle()) SetMainWindow(nullptr);
        // Closing the main window ends the application.
        TerminateApplication();
        return 0;
    default:
        if (msg != 0 && msg == RevealRequestMessage()) {
            // Answered at once: the sender waits, and what the user sees comes after.
            PostMessageW(Handle(), WmReveal, 0, 0);
            return TRUE;
        }
        if (msg != 0 && msg == TaskbarCreatedMessage()) {
            // The notification area was recreated (the shell restarted): it lost our icons.
            ScaleChanged(WindowDpi(Handle()), true);
            return 0;
        }
        return DefaultHandling(msg, wParam, lParam);
    }
}

KonfigHost SettingsHost(THaupt& haupt)
{
    return {[h = &haupt] { return h->ShutdownPending; }, [h = &haupt] { return h->ImgIconLeer(); },
            [h = &haupt] { return h->DesktopFolder(); }, [h = &haupt] { return h->LastUsedMenu(); }};
}
