#include "menu_pictures.h"

namespace menu_pictures {

UniqueIcon MakeIcon(COLORREF colour, int transparentFrom)
{
    Surface colourBits(32, 32, colour);
    std::vector<uint8_t> mask(32 * 4, 0);
    for (int y = transparentFrom; y < 32; ++y)
        for (int b = 0; b < 4; ++b) mask[static_cast<size_t>(y * 4 + b)] = 0xFF;
    UniqueGdiObject maskBitmap(CreateBitmap(32, 32, 1, 1, mask.data()));
    HDC screen = GetDC(nullptr);
    UniqueGdiObject colourBitmap(CreateCompatibleBitmap(screen, 32, 32));
    ReleaseDC(nullptr, screen);
    {
        UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
        HGDIOBJ old = SelectObject(dc.get(), colourBitmap.get());
        BitBlt(dc.get(), 0, 0, 32, 32, colourBits.Dc(), 0, 0, SRCCOPY);
        SelectObject(dc.get(), old);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = static_cast<HBITMAP>(maskBitmap.get());
    info.hbmColor = static_cast<HBITMAP>(colourBitmap.get());
    return UniqueIcon(CreateIconIndirect(&info));
}

std::unique_ptr<Surface> ScreenShot(HWND window)
{
    HWND top = GetAncestor(window, GA_ROOT);
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    RECT place{};
    GetWindowRect(window, &place);
    auto shot = std::make_unique<Surface>(place.right - place.left, place.bottom - place.top, Magenta);
    HDC screen = GetDC(nullptr);
    BitBlt(shot->Dc(), 0, 0, shot->Width(), shot->Height(), screen, place.left, place.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return shot;
}

std::pair<int, int> InkColumns(const Surface& shot, COLORREF background)
{
    std::pair<int, int> ink{-1, -1};
    for (int x = 0; x < shot.Width(); ++x)
        if (shot.Count(background, x, 0, x + 1, shot.Height()) < shot.Height()) {
            if (ink.first < 0) ink.first = x;
            ink.second = x;
        }
    return ink;
}

int IconSide(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    UniqueGdiObject mask(info.hbmMask), colour(info.hbmColor);
    BITMAP bitmap{};
    GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap);
    return bitmap.bmWidth;
}

bool IconPresent(TrayIconRecord record)
{
    return Shell_NotifyIconW(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAW*>(&record)) != FALSE;
}

bool DeleteIcon(TrayIconRecord record)
{
    return Shell_NotifyIconW(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAW*>(&record)) != FALSE;
}

std::vector<COLORREF> IconPixels(HICON icon)
{
    Surface s(32, 32, Magenta);
    DrawIconEx(s.Dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    return s.Pixels();
}

std::vector<COLORREF> ImagePixels(HIMAGELIST list, int index)
{
    Surface s(32, 32, Magenta);
    ImageList_Draw(list, index, s.Dc(), 0, 0, ILD_NORMAL);
    return s.Pixels();
}

std::shared_ptr<EntryPictures> Pictures(UniqueIcon leer)
{
    auto pictures = std::make_shared<EntryPictures>();
    pictures->ImgIconLeer = std::move(leer);
    pictures->ImgIconSeparator = MakeIcon(RGB(192, 192, 192), 32);
    return pictures;
}

CountingSource ColourSource(int delayMillis)
{
    auto made = std::make_shared<std::atomic<int>>(0);
    PictureSource source;
    source.Key = [](const EntryIconRequest& request) { return request.Pfad; };
    source.Make = [made, delayMillis](const EntryIconRequest& request, int size) -> std::optional<PixelImage> {
        if (delayMillis > 0) Sleep(static_cast<DWORD>(delayMillis));
        ++*made;
        const uint32_t rgb = static_cast<uint32_t>(std::stoul(request.Pfad, nullptr, 16)) & 0xFFFFFFu;
        PixelImage image;
        image.width = image.height = size;
        image.pixels.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
        for (int y = 0; y < size * 25 / 32; ++y)
            for (int x = 0; x < size; ++x) image.At(x, y) = 0xFF000000u | rgb;
        return image;
    };
    return {source, made};
}

std::string ColourPath(COLORREF colour)
{
    char text[8];
    wsprintfA(text, "%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

std::shared_ptr<EntryPictureService> QuietService(std::shared_ptr<EntryPictures> pictures, PictureSource source)
{
    return std::make_shared<EntryPictureService>(std::move(pictures), std::move(source), nullptr);
}

bool Settle(EntryPictureService& service, const TMenuList& menus, int millis)
{
    const DWORD start = GetTickCount();
    while (true) {
        service.PlaceFinished();
        if (PendingEntryPictures(menus) == 0) return true;
        if (GetTickCount() - start > static_cast<DWORD>(millis)) return false;
        Sleep(1);
    }
}

std::unique_ptr<TOneItem> Entry(std::string pfad, std::string description, int32_t iconNum, std::string iconPfad)
{
    auto item = std::make_unique<TOneItem>();
    item->Pfad = std::move(pfad);
    item->Description = std::move(description);
    item->IconNum = iconNum;
    item->IconPfad = std::move(iconPfad);
    return item;
}

std::unique_ptr<TOneItem> Separator()
{
    auto item = Entry(SeparatorMarker, "Sep&arator");
    return item;
}

std::optional<std::string> CopyProgram(const TempFolder& folder, const std::string& name)
{
    std::string source = BinFolder() + "mgoldwk.exe";
    std::string target = folder.File(name);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return std::nullopt;
    return target;
}

}  // namespace menu_pictures
