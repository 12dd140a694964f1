// The entries' pictures: one per source and size, shared by every menu, made on the
// worker thread nearest-needed first while popups show placeholders, and a quit that
// does not wait for them.
#include "app/haupt_win.h"
#include "menu_pictures.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace menu_pictures;

constexpr COLORREF Red = RGB(200, 0, 0), Blue = RGB(0, 0, 200), Green = RGB(0, 160, 0), Yellow = RGB(220, 220, 0);

class EntryPictureTest : public ::testing::Test {
protected:
    void SetUp() override { pictures = Pictures(MakeIcon(RGB(0, 0, 0), 0)); }  // transparent, like the real one
    void TearDown() override
    {
        ReleaseMenus(menus);
        service.reset();
    }
    void Use(CountingSource counting)
    {
        made = counting.made;
        service = QuietService(pictures, counting.source);
    }
    TOneMenu& MenuOf(std::initializer_list<COLORREF> colours)
    {
        TOneMenu& menu = NewMenu(menus, MakeMenuImagesFactory(service));
        for (COLORREF c : colours) AddItem(menu, c == 0 ? Separator() : Entry(ColourPath(c), "Entry"));
        return menu;
    }
    ImageListMenuImages& Images(int menu) { return *ImageListOf(*menus[static_cast<size_t>(menu)]); }
    // The colour at the top-left of the entry's picture (its transparent bottom shows the
    // list's background).
    COLORREF Shows(int menu, int item, int size = 32)
    {
        const TOneItem& entry = *menus[static_cast<size_t>(menu)]->Items[static_cast<size_t>(item)];
        Surface s(size, size, Magenta);
        ImageList_Draw(Images(menu).Handle(size), Images(menu).PictureIndex(entry.ImageIndex, size), s.Dc(), 0, 0,
                       ILD_NORMAL);
        return s.At(0, 0);
    }
    int Index(int menu, int item, int size = 32)
    {
        return Images(menu).PictureIndex(menus[static_cast<size_t>(menu)]->Items[static_cast<size_t>(item)]->ImageIndex,
                                         size);
    }

    std::shared_ptr<EntryPictures> pictures;
    std::shared_ptr<std::atomic<int>> made;
    std::shared_ptr<EntryPictureService> service;
    TMenuList menus;
};

// ---- Sharing ------------------------------------------------------------------------

TEST_F(EntryPictureTest, EntriesOfOneSourceShareOnePicturePerSizeAcrossMenus)
{
    Use(ColourSource());
    MenuOf({Red, Red, Blue, 0});
    MenuOf({Red});
    EXPECT_EQ(Index(0, 0), PictureStore::PlaceholderIndex) << "nothing asked yet";
    RequestEntryPictures(menus, 32);
    ASSERT_TRUE(Settle(*service, menus));
    EXPECT_EQ(made->load(), 2) << "red and blue, each made once";
    EXPECT_EQ(Index(0, 0), Index(0, 1));
    EXPECT_EQ(Index(0, 0), Index(1, 0));
    EXPECT_NE(Index(0, 0), Index(0, 2));
    EXPECT_EQ(Index(0, 3), PictureStore::SeparatorIndex);
    EXPECT_EQ(ImageList_GetImageCount(Images(0).Handle(32)), 4) << "placeholder, separator, red, blue";
    EXPECT_EQ(Shows(0, 1), Red);
    EXPECT_EQ(Shows(1, 0), Red);
    EXPECT_EQ(Shows(0, 2), Blue);

    // Another size is another store, made at that size and not scaled from 32.
    RequestEntryPictures(menus, 16);
    ASSERT_TRUE(Settle(*service, menus));
    EXPECT_EQ(made->load(), 4);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(Images(0).Handle(16), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(Shows(1, 0, 16), Red);

    // Many entries from a few sources: one picture per source.
    TOneMenu& many = MenuOf({});
    for (int i = 0; i < 300; ++i) AddItem(many, Entry(ColourPath(RGB(i % 5, 0, 0)), "Many"));
    RequestEntryPictures(menus, 32);
    ASSERT_TRUE(Settle(*service, menus));
    EXPECT_EQ(ImageList_GetImageCount(Images(2).Handle(32)), 4 + 5);
}

TEST_F(EntryPictureTest, EntriesWaitingForOneSourceAllGetItThoughOneOfThemIsRemoved)
{
    Use(ColourSource());
    TOneMenu& first = MenuOf({Red, Red, Blue});
    MenuOf({Red});
    RequestEntryPictures(menus, 32);
    // Removed while its picture may still be waited for: the others still get theirs.
    ASSERT_TRUE(first.RemoveItem(0));
    ASSERT_TRUE(Settle(*service, menus));
    EXPECT_EQ(Shows(0, 0), Red);
    EXPECT_EQ(Shows(0, 1), Blue);
    EXPECT_EQ(Shows(1, 0), Red);
    EXPECT_EQ(PendingEntryPictures(menus), 0);
    EXPECT_EQ(made->load(), 2);
}

TEST_F(EntryPictureTest, RemovingMovingAndEditingKeepEveryEntryWithItsOwnPicture)
{
    Use(ColourSource());
    TOneMenu& menu = MenuOf({Red, Blue, Red, Green});
    RequestEntryPictures(menus, 32);
    ASSERT_TRUE(Settle(*service, menus));

    ASSERT_TRUE(menu.RemoveItem(0));  // one of the two reds: the other keeps the picture
    EXPECT_EQ(Shows(0, 0), Blue);
    EXPECT_EQ(Shows(0, 1), Red);
    EXPECT_EQ(Shows(0, 2), Green);
    ASSERT_TRUE(menu.SwapItems(0, 2));
    EXPECT_EQ(Shows(0, 0), Green);
    EXPECT_EQ(Shows(0, 2), Blue);

    // A new source: the placeholder until its picture is made, then its own.
    TOneItem& edited = *menu.Items[2];
    edited.Pfad = ColourPath(Yellow);
    ASSERT_TRUE(Images(0).ReplaceEntryImage(edited.ImageIndex, edited));
    EXPECT_FALSE(Images(0).IsFinal(edited.ImageIndex, 32));
    EXPECT_EQ(Index(0, 2), PictureStore::PlaceholderIndex);
    Images(0).RequestPictures(32, PictureUrgency::Shown);
    ASSERT_TRUE(Settle(*service, menus));
    EXPECT_EQ(Shows(0, 2), Yellow);
    EXPECT_EQ(Shows(0, 1), Red);
    // The same source again (a new description only) keeps the picture.
    edited.Description = "Renamed";
    ASSERT_TRUE(Images(0).ReplaceEntryImage(edited.ImageIndex, edited));
    EXPECT_TRUE(Images(0).IsFinal(edited.ImageIndex, 32));
    EXPECT_EQ(made->load(), 4);
    EXPECT_FALSE(Images(0).RemoveEntryImage(5));
}

// ---- The worker ---------------------------------------------------------------------

TEST_F(EntryPictureTest, ShownPlaceholdersGoFirstAndAreRepaintedWithTheRealPicture)
{
    Use(ColourSource(20));
    std::vector<COLORREF> colours;
    for (int i = 1; i <= 60; ++i) colours.push_back(RGB(i, 1, 1));
    TOneMenu& first = MenuOf({});
    for (COLORREF c : colours) AddItem(first, Entry(ColourPath(c), "First"));
    TOneMenu& popup = MenuOf({});
    AddItem(popup, Entry(ColourPath(Red), "Shown"));
    popup.MaxTextWidth = 60;
    RequestEntryPictures(menus, 32);  // 61 pictures of 20 ms: over a second in all

    UniqueWindow window(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 40, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    UpdateWindow(window.get());
    TKonfig konfig;
    konfig.IconSize = 32;
    auto draw = [&] {
        Surface s(200, 40, Magenta);
        DRAWITEMSTRUCT d{};
        d.CtlType = ODT_MENU;
        d.itemID = 0;
        d.itemData = 0;  // the active menu
        d.hDC = s.Dc();
        d.rcItem = RECT{0, 0, 200, 36};
        EXPECT_TRUE(WMDrawItem(d, 1, menus, konfig, nullptr));
        // The drawing of a popup's window, as the system hands it over.
        Images(1).MarkShownPending(0, 32, window.get(), &d.rcItem);
        return s.At(2, 2);
    };
    EXPECT_EQ(draw(), GetSysColor(COLOR_MENU)) << "the placeholder, without waiting";
    ValidateRect(window.get(), nullptr);

    const DWORD start = GetTickCount();
    while (!Images(1).IsFinal(0, 32) && GetTickCount() - start < 5000) {
        service->PlaceFinished();
        Sleep(1);
    }
    ASSERT_TRUE(Images(1).IsFinal(0, 32));
    EXPECT_GT(PendingEntryPictures(menus), 30) << "the shown entry went before most of the first menu";
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window.get(), &update, FALSE)) << "its placeholder is repainted";
    EXPECT_EQ(update.bottom, 36);
    EXPECT_EQ(draw(), Red);
}

TEST_F(EntryPictureTest, AnAreaShowingOneSizesPlaceholderIsRepaintedWhenThatSizesPictureIsPlaced)
{
    Use(ColourSource(150));
    MenuOf({Red});
    UniqueWindow shown(CreateWindowW(L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr));
    Images(0).MarkShownPending(0, 16, nullptr, nullptr);  // asked first, shown nowhere
    Images(0).MarkShownPending(0, 24, shown.get(), nullptr);
    ValidateRect(shown.get(), nullptr);
    auto repaintAsked = [&] { return GetUpdateRect(shown.get(), nullptr, FALSE) != FALSE; };
    ASSERT_TRUE(WaitUntil([&] { return service->PlaceFinished() > 0; }, 3000, 1));
    ASSERT_FALSE(Images(0).IsFinal(0, 24));
    EXPECT_FALSE(repaintAsked()) << "the 16-pixel picture is not what that area shows";
    EXPECT_TRUE(WaitUntil([&] { return service->PlaceFinished(), Images(0).IsFinal(0, 24); }, 3000, 1));
    EXPECT_TRUE(repaintAsked());
}

TEST_F(EntryPictureTest, StoppingDuringExtractionEndsAfterThePictureInHand)
{
    Use(ColourSource(50));
    TOneMenu& menu = MenuOf({});
    for (int i = 0; i < 200; ++i) AddItem(menu, Entry(ColourPath(RGB(i, 2, 2)), "Slow"));
    RequestEntryPictures(menus, 32);  // ten seconds of pictures
    Sleep(120);
    const DWORD start = GetTickCount();
    service->Stop();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_LT(made->load(), 20);
    service->PlaceFinished();
    EXPECT_GT(PendingEntryPictures(menus), 150);
    ReleaseMenus(menus);  // the menus let go of a stopped service
}

// ---- The worker alone ----------------------------------------------------------------

std::shared_ptr<const EntryIconRequest> ColourRequest(int i)
{
    return std::make_shared<const EntryIconRequest>(EntryIconRequest{ColourPath(RGB(i, 1, 1)), false, DefaultIconNum, {}});
}

TEST(PictureWorkerAlone, WakeUpsThatDoNotGetThroughAreTriedAgainUntilEveryResultIsTaken)
{
    UniqueHandle woken(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    int calls = 0;
    // Every other post fails, as one to a full message queue does.
    PictureWorker worker(ColourSource().source, [&] { return ++calls % 2 == 0 && SetEvent(woken.get()); });
    const int jobs = 3 * static_cast<int>(PictureWorker::MaxWaitingResults);
    for (int i = 0; i < jobs; ++i) worker.Add(static_cast<uint64_t>(i) + 1, ColourRequest(i), 16, PictureUrgency::Rest);
    size_t taken = 0;
    while (taken < static_cast<size_t>(jobs) && WaitForSingleObject(woken.get(), 3000) == WAIT_OBJECT_0)
        taken += worker.TakeResults().size();
    EXPECT_EQ(taken, static_cast<size_t>(jobs));
}

struct Hang {
    const char* what;
    bool cancellable;
};

void PrintTo(const Hang& hang, std::ostream* out) { *out << hang.what; }

class PictureWorkerStop : public ::testing::TestWithParam<Hang> {};

TEST_P(PictureWorkerStop, ReturnsWithinASecondWhateverTheSourceIsDoing)
{
    const std::wstring pipe = L"\\\\.\\pipe\\mgw-worker-" + std::to_wstring(GetCurrentProcessId());
    UniqueHandle server(CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr));
    // Shared with the source: a thread left running may still use them after the test.
    auto entered = std::make_shared<UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto release = std::make_shared<UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto ended = std::make_shared<UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    auto readError = std::make_shared<std::atomic<DWORD>>(0);
    ASSERT_TRUE(server && *entered && *release && *ended);
    PictureSource source;
    source.Key = [=, cancellable = GetParam().cancellable](const EntryIconRequest&) {
        SetEvent(entered->get());
        if (!cancellable) {
            WaitForSingleObject(release->get(), INFINITE);
            return std::string();
        }
        UniqueHandle reader(CreateFileW(pipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        char byte = 0;
        DWORD read = 0;
        if (!ReadFile(reader.get(), &byte, 1, &read, nullptr)) *readError = GetLastError();
        return std::string();
    };
    source.Done = [ended] { SetEvent(ended->get()); };
    auto worker = std::make_unique<PictureWorker>(source, nullptr);
    worker->Add(1, ColourRequest(1), 16, PictureUrgency::Shown);
    ASSERT_EQ(WaitForSingleObject(entered->get(), 5000), WAIT_OBJECT_0);
    Sleep(100);
    const DWORD start = GetTickCount();
    worker.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    if (GetParam().cancellable) {
        EXPECT_EQ(WaitForSingleObject(ended->get(), 0), WAIT_OBJECT_0) << "the cancelled read ended the thread";
        EXPECT_EQ(readError->load(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    } else {
        EXPECT_TRUE(PictureWorker::AnyLeftRunning());
        SetEvent(release->get());
        EXPECT_EQ(WaitForSingleObject(ended->get(), 5000), WAIT_OBJECT_0) << "the thread left running ends on its own";
    }
}

INSTANTIATE_TEST_SUITE_P(Hangs, PictureWorkerStop,
                         ::testing::Values(Hang{"a read from a pipe no one writes to", true},
                                           Hang{"a wait nothing cancels", false}),
                         [](const auto& info) { return std::string(info.param.cancellable ? "Read" : "Wait"); });

// ---- The main window ----------------------------------------------------------------

TEST(EntryPictureMainWindow, AnswersHowManyPicturesAreNotFinalUntilNone)
{
    std::optional<TempFolder> folder = TempFolder::Create();
    ASSERT_TRUE(folder);
    std::vector<std::string> lines{"[GLOBAL]", "SelfAutostart=0", "IconSize=16", "MenuCount=1", "[M0]",
                                   "MenuName=Colours", "ItemCount=40"};
    for (int i = 0; i < 40; ++i) {
        lines.push_back("[M0I" + std::to_string(i) + "]");
        lines.push_back("Pfad=" + ColourPath(RGB(i % 8, 3, 3)));
        lines.push_back("Description=Colour");
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    ASSERT_TRUE(folder->Write("mgoldwk.ini", text));

    THaupt::Options options{folder->Path()};
    options.pictureSource = ColourSource(5).source;
    std::unique_ptr<THaupt> haupt = THaupt::Create(options);
    ASSERT_TRUE(haupt);
    ASSERT_EQ(MenuList.size(), 1u);
    EXPECT_GT(SendMessageA(haupt->Handle(), WmPendingPictures, 0, 0), 0) << "start-up did not wait for them";
    EXPECT_TRUE(WaitUntil([&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return SendMessageA(haupt->Handle(), WmPendingPictures, 0, 0) == 0;
    }, 5000, 1));
    ImageListMenuImages& images = *ImageListOf(*MenuList[0]);
    EXPECT_TRUE(images.IsFinal(39, 16));
    EXPECT_EQ(ImageList_GetImageCount(images.Handle(16)), 2 + 8);
    haupt.reset();
    ReleaseMenus(MenuList);
    Konfig = {};
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
