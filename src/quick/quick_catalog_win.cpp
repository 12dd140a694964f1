#include "quick/quick_catalog_win.h"

#include "win/folder_watch.h"
#include "menus/folder_listing.h"
#include "quick/link_target_win.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <process.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

namespace {

// A change is applied once its folder has been quiet this long, or this long after the
// first change at the latest, so a running setup does not hold the catalog back.
constexpr DWORD QuietMillis = 1000;
constexpr DWORD LongestDelayMillis = 4000;
// A folder that cannot be opened or watched is tried again this often.
constexpr DWORD RetryMillis = 30000;
// While a large folder is walked for the first time, the box gets what is found this often,
// and less often as the walk goes on: each catalog handed over is a copy, and many large
// copies leave the heap holding more than the last one needs.
constexpr DWORD PublishEveryMillis = 250;
constexpr int StartMenuDepth = 16;
constexpr std::string_view StartMenuMasks = "*.lnk;*.url;*.exe;*.appref-ms";
constexpr DWORD HiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// While stopping, a blocked read is cancelled this often.
constexpr DWORD CancelEvery = 50;

std::atomic<int> leftRunning{0};

using UniqueShellText =
    std::unique_ptr<wchar_t, handles_detail::HandleDeleter<wchar_t*, handles_detail::FreeShellMemory>>;

bool DirectoryExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WithoutTrailingSlash(std::wstring path)
{
    // "C:\" stays a root; "C:" alone would be the current folder on that drive.
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::string_view FileNameOf(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> KnownFolder(const KNOWNFOLDERID& id, int csidl)
{
    // Vista and later; older systems name the same folders by CSIDL.
    static SystemFunction known = SystemFunction::ByName("shell32.dll", "SHGetKnownFolderPath");
    wchar_t* raw = nullptr;
    auto result = known.Call<HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*)>(id, DWORD{0},
                                                                                        HANDLE{nullptr}, &raw);
    const UniqueShellText text(raw);
    if (result && SUCCEEDED(*result) && text) return Utf8(text.get());
    std::array<wchar_t, MAX_PATH> path{};
    if (!result && SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path.data())))
        return Utf8(path.data());
    return std::nullopt;
}

}  // namespace

std::vector<std::string> StartMenuFolders()
{
    std::vector<std::string> folders;
    const std::pair<const KNOWNFOLDERID*, int> known[] = {{&FOLDERID_Programs, CSIDL_PROGRAMS},
                                                          {&FOLDERID_CommonPrograms, CSIDL_COMMON_PROGRAMS}};
    for (const auto& [id, csidl] : known) {
        std::optional<std::string> folder = KnownFolder(*id, csidl);
        if (!folder || !DirectoryExists(Wide(*folder))) continue;
        const bool again = std::any_of(folders.begin(), folders.end(),
                                       [&](const std::string& f) { return TargetKey(f) == TargetKey(*folder); });
        if (!again) folders.push_back(std::move(*folder));
    }
    return folders;
}

struct CatalogService::State {
    State(std::vector<std::string> s, std::vector<QuickFolder> f, std::vector<FolderMenuSource> m,
          std::function<void()> w)
        : startMenu(std::move(s)), folders(std::move(f)), folderMenus(std::move(m)), wake(std::move(w)),
          stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          foldersEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          now(std::make_shared<const QuickCatalog>())
    {
    }

    const std::vector<std::string> startMenu;
    std::vector<QuickFolder> folders;  // the worker's, once it has started
    std::vector<FolderMenuSource> folderMenus;  // likewise
    const std::function<void()> wake;
    const UniqueHandle stopEvent;
    const UniqueHandle foldersEvent;
    std::atomic<bool> stop{false};
    std::atomic<bool> foldersChanged{false};

    mutable std::mutex mutex;
    std::shared_ptr<const QuickCatalog> now;
    std::optional<std::vector<QuickFolder>> newFolders;
    std::optional<std::vector<FolderMenuSource>> newFolderMenus;
};

namespace {

struct Root {
    std::wstring path;
    int depth = 0;
    std::string masks;
    bool startMenu = false;
    std::optional<QuickFolder> folder;  // what the user gave, for a user folder
    std::optional<FolderMenuSource> menu;  // for a folder a menu shows
    bool due = true;     // to be walked as soon as the worker comes round
    bool walked = false; // walked at least once: later walks publish only when complete
    bool changed = false;
    DWORD firstChange = 0, lastChange = 0;
    std::optional<DWORD> retryAt;
};

enum class WalkEnd { Done, Missing, Interrupted };

}  // namespace

// The folders, what each contributed to the catalog, and the walks.
class CatalogService::Walker {
public:
    explicit Walker(State& state) : state_(state), watches_([this](size_t r) { Changed(r); })
    {
        for (const std::string& folder : state_.startMenu) {
            Root root;
            root.path = WithoutTrailingSlash(Wide(folder));
            root.depth = StartMenuDepth;
            root.masks = StartMenuMasks;
            root.startMenu = true;
            roots_.push_back(std::move(root));
        }
        for (const QuickFolder& folder : state_.folders) roots_.push_back(UserRoot(folder));
        for (const FolderMenuSource& source : state_.folderMenus) roots_.push_back(MenuRoot(source));
    }

    void Loop()
    {
        while (!state_.stop) {
            if (state_.foldersChanged.exchange(false)) TakeFolders();
            const DWORD now = GetTickCount();
            for (size_t r = 0; r < roots_.size() && !Interrupted(); ++r)
                if (Due(roots_[r], now)) Walk(r);
            if (Interrupted()) continue;
            Wait();
        }
    }

private:
    static Root UserRoot(const QuickFolder& folder)
    {
        Root root;
        root.path = WithoutTrailingSlash(ExpandedText(Wide(folder.Path)));
        root.depth = std::clamp(folder.Depth, int32_t{0}, MaxQuickFolderDepth);
        root.masks = folder.Masks;
        root.folder = folder;
        return root;
    }

    // Every file, as far down as a user folder may reach.
    static Root MenuRoot(const FolderMenuSource& source)
    {
        Root root;
        root.path = WithoutTrailingSlash(ExpandedText(Wide(source.Folder)));
        root.depth = MaxQuickFolderDepth;
        root.masks.assign(1, '*');  // every file
        root.menu = source;
        return root;
    }

    bool Interrupted() const { return state_.stop || state_.foldersChanged; }

    static bool Due(const Root& root, DWORD now)
    {
        if (root.due) return true;
        if (root.changed && (now - root.lastChange >= QuietMillis || now - root.firstChange >= LongestDelayMillis))
            return true;
        return root.retryAt && static_cast<LONG>(now - *root.retryAt) >= 0;
    }

    // Milliseconds until some root is due; INFINITE when none waits for a time.
    DWORD UntilDue(DWORD now) const
    {
        DWORD wait = INFINITE;
        for (const Root& root : roots_) {
            std::optional<DWORD> at;
            if (root.changed) at = std::min(root.lastChange + QuietMillis, root.firstChange + LongestDelayMillis);
            else if (root.retryAt) at = *root.retryAt;
            if (at) wait = std::min<DWORD>(wait, static_cast<LONG>(*at - now) > 0 ? *at - now : 0);
        }
        return wait;
    }

    void TakeFolders()
    {
        std::optional<std::vector<QuickFolder>> folders;
        std::optional<std::vector<FolderMenuSource>> menus;
        {
            std::lock_guard lock(state_.mutex);
            folders = std::exchange(state_.newFolders, std::nullopt);
            menus = std::exchange(state_.newFolderMenus, std::nullopt);
        }
        const bool newFolders = folders && *folders != state_.folders, newMenus = menus && *menus != state_.folderMenus;
        if (!newFolders && !newMenus) return;
        if (newFolders) state_.folders = std::move(*folders);
        if (newMenus) state_.folderMenus = std::move(*menus);
        // Folders kept keep what was found in them.
        const size_t startRoots = state_.startMenu.size();
        std::vector<Root> roots(std::make_move_iterator(roots_.begin()),
                                std::make_move_iterator(roots_.begin() + static_cast<ptrdiff_t>(startRoots)));
        std::vector<std::optional<uint16_t>> moved(roots_.size());
        std::vector<bool> taken(roots_.size());
        for (size_t r = 0; r < startRoots; ++r) moved[r] = static_cast<uint16_t>(r);
        const auto keep = [&](const auto& same, Root made) {
            for (size_t r = startRoots; r < roots_.size(); ++r) {
                if (taken[r] || !same(roots_[r])) continue;
                taken[r] = true;
                moved[r] = static_cast<uint16_t>(roots.size());
                roots.push_back(std::move(roots_[r]));
                return;
            }
            roots.push_back(std::move(made));
        };
        for (const QuickFolder& folder : state_.folders)
            keep([&](const Root& root) { return root.folder == folder; }, UserRoot(folder));
        for (const FolderMenuSource& source : state_.folderMenus)
            keep([&](const Root& root) { return root.menu == source; }, MenuRoot(source));
        roots_ = std::move(roots);
        std::vector<std::optional<size_t>> renumbered(moved.begin(), moved.end());
        watches_.Renumber(renumbered);
        QuickCatalog next;
        std::vector<uint16_t> tags;
        for (size_t k = 0; k < current_->Count(); ++k) {
            if (!moved[tags_[k]]) continue;
            next.Add(current_->Name(k), current_->Path(k), current_->Target(k), current_->Menu(k));
            tags.push_back(*moved[tags_[k]]);
        }
        if (next.Count() != current_->Count()) Publish(next, tags);
        else tags_ = std::move(tags);
    }

    void Walk(size_t r)
    {
        Root& root = roots_[r];
        const auto tag = static_cast<uint16_t>(r);
        QuickCatalog next;
        std::vector<uint16_t> tags;
        for (size_t k = 0; k < current_->Count(); ++k) {
            if (tags_[k] == tag) continue;
            next.Add(current_->Name(k), current_->Path(k), current_->Target(k), current_->Menu(k));
            tags.push_back(tags_[k]);
        }
        root.changed = false;
        root.retryAt.reset();
        watches_.Drop(r);
        WalkEnd end = WalkEnd::Missing;
        if (!root.masks.empty() && DirectoryExists(root.path)) {
            walkStarted_ = lastPublish_ = GetTickCount();
            std::wstring path = root.path;
            end = Folder(root, path, root.depth, next, tags, tag);
        }
        root.due = end == WalkEnd::Interrupted;
        if (root.due) return;
        if (end == WalkEnd::Missing) {
            watches_.Drop(r);
            if (!root.masks.empty()) root.retryAt = GetTickCount() + RetryMillis;
        } else {
            root.walked = true;
        }
        if (end == WalkEnd::Done || next.Count() != current_->Count()) Publish(next, tags);
    }

    WalkEnd Folder(Root& root, std::wstring& path, int depthLeft, QuickCatalog& next,
                   std::vector<uint16_t>& tags, uint16_t tag)
    {
        const size_t length = path.size();
        // Watched before it is read, so that nothing written meanwhile is missed.
        const bool top = depthLeft == root.depth;
        if ((top || !FolderWatches::SubtreesReported()) &&
            !watches_.Add(tag, path, root.depth > 0 && FolderWatches::SubtreesReported()) && top)
            root.retryAt = GetTickCount() + RetryMillis;  // walked again now and then instead
        if (path.back() != L'\\') path += L'\\';
        const size_t nameAt = path.size();
        path += L'*';
        WIN32_FIND_DATAW found{};
        // FindExInfoBasic (no short names) and a large fetch are Windows 7's; older systems
        // reject them.
        HANDLE search = FindFirstFileExW(path.c_str(), static_cast<FINDEX_INFO_LEVELS>(1), &found,
                                         FindExSearchNameMatch, nullptr, 2);
        if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
            search = FindFirstFileExW(path.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
        path.resize(nameAt);
        if (search == INVALID_HANDLE_VALUE) {
            path.resize(length);
            return depthLeft == root.depth ? WalkEnd::Missing : WalkEnd::Done;
        }
        // Files before subfolders, so that of two shortcuts to one program the one
        // nearer the top is kept, whatever order the file system lists them in.
        std::vector<std::wstring> subfolders;
        {
            const ScopeGuard close([search] { FindClose(search); });
            do {
                if (Interrupted()) return WalkEnd::Interrupted;
                const std::wstring_view name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                // As the folder's menu shows it.
                if (root.menu && (found.dwFileAttributes & HiddenOrSystem)) continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    // A junction may lead back up the tree.
                    if (depthLeft > 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                        subfolders.emplace_back(name);
                    continue;
                }
                path.resize(nameAt);
                path += name;
                File(root, path, Utf8(name), next, tags, tag);
            } while (FindNextFileW(search, &found));
        }
        for (const std::wstring& subfolder : subfolders) {
            path.resize(nameAt);
            path += subfolder;
            if (Folder(root, path, depthLeft - 1, next, tags, tag) == WalkEnd::Interrupted)
                return WalkEnd::Interrupted;
        }
        path.resize(length);
        return WalkEnd::Done;
    }

    void File(const Root& root, const std::wstring& path, const std::string& fileName, QuickCatalog& next,
              std::vector<uint16_t>& tags, uint16_t tag)
    {
        if (!MatchesMasks(fileName, root.masks)) return;
        const size_t dot = fileName.rfind('.');
        // A folder menu shows only a shortcut without its extension.
        const bool cut = !root.menu || IsShortcutName(fileName);
        const std::string_view name = std::string_view(fileName).substr(0, dot == 0 || !cut ? std::string::npos : dot);
        const std::string file = Utf8(path);
        const std::string target = MatchesMasks(fileName, "*.lnk") ? links_.Target(path) : std::string();
        const std::string_view targetName = FileNameOf(target.empty() ? file : target);
        // Start menu entries are judged in full; in the user's own folders only programs
        // that uninstall are left out, since the user asked for those files by mask; a
        // folder menu's files are all there, as in the menu.
        if (root.startMenu ? SkippedShortcut(name, targetName)
                           : !root.menu && MatchesMasks(targetName, "*.exe") && SkippedShortcut({}, targetName))
            return;
        const size_t before = next.Count();
        next.Add(name, file, target, root.menu ? std::string_view(root.menu->Menu) : std::string_view());
        if (next.Count() == before) return;
        tags.push_back(tag);
        const DWORD now = GetTickCount();
        if (!roots_[tag].walked && now - lastPublish_ >= std::max(PublishEveryMillis, (now - walkStarted_) / 2))
            Publish(next, tags);
    }

    void Publish(const QuickCatalog& next, const std::vector<uint16_t>& tags)
    {
        // A copy holds exactly its texts; the one being filled keeps room to grow.
        current_ = std::make_shared<const QuickCatalog>(next);
        tags_ = tags;
        {
            std::lock_guard lock(state_.mutex);
            state_.now = current_;
        }
        lastPublish_ = GetTickCount();
        if (!state_.stop && state_.wake) state_.wake();
    }

    // Runs inside the wait: nothing may throw out of it.
    void Changed(size_t r)
    {
        if (r >= roots_.size()) return;
        Root& root = roots_[r];
        const DWORD at = GetTickCount();
        if (!root.changed) root.firstChange = at;
        root.changed = true;
        root.lastChange = at;
    }

    // Until a root is due, the folders are changed or the service stops; change notices
    // arrive in here.
    void Wait()
    {
        const HANDLE events[] = {state_.stopEvent.get(), state_.foldersEvent.get()};
        (void)WaitForMultipleObjectsEx(2, events, FALSE, UntilDue(GetTickCount()), TRUE);
        watches_.Sweep();
    }

    State& state_;
    std::vector<Root> roots_;
    // The newest catalog published and, for each of its results, the root it came from.
    std::shared_ptr<const QuickCatalog> current_ = std::make_shared<const QuickCatalog>();
    std::vector<uint16_t> tags_;
    DWORD walkStarted_ = 0;
    DWORD lastPublish_ = 0;
    LinkTargets links_;
    FolderWatches watches_;
};

CatalogService::CatalogService(std::vector<std::string> startMenu, std::vector<QuickFolder> folders,
                               std::function<void()> wake, std::vector<FolderMenuSource> folderMenus)
    : state_(std::make_shared<State>(std::move(startMenu), std::move(folders), std::move(folderMenus), std::move(wake)))
{
    if (!state_->stopEvent || !state_->foldersEvent) return;
    // The thread holds its own reference to the state, released when it ends.
    auto held = std::make_unique<std::shared_ptr<State>>(state_);
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CatalogService::Run, held.get(), 0, nullptr)));
    if (thread_) held.release();
}

CatalogService::~CatalogService()
{
    state_->stop = true;
    if (state_->stopEvent) SetEvent(state_->stopEvent.get());
    if (!thread_) return;
    if (!EndWorkerThread(thread_.get(), StopMillis, CancelEvery)) ++leftRunning;
}

bool CatalogService::AnyLeftRunning() { return leftRunning.load() > 0; }

void CatalogService::SetFolders(std::vector<QuickFolder> folders)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->newFolders = std::move(folders);
    }
    state_->foldersChanged = true;
    SetEvent(state_->foldersEvent.get());
}

void CatalogService::SetFolderMenus(std::vector<FolderMenuSource> folderMenus)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->newFolderMenus = std::move(folderMenus);
    }
    state_->foldersChanged = true;
    SetEvent(state_->foldersEvent.get());
}

std::shared_ptr<const QuickCatalog> CatalogService::Now() const
{
    std::lock_guard lock(state_->mutex);
    return state_->now;
}

unsigned __stdcall CatalogService::Run(void* held)
{
    const std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(held));
    // Shortcuts are read through the shell's link object, which wants COM on this thread.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // Out of memory ends the worker; the box keeps the last catalog it was given.
    try {
        Walker walker(**state);
        walker.Loop();
    } catch (...) {
    }
    if (com) CoUninitialize();
    return 0;
}
