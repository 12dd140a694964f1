#include "dragdrop/drop_target_win.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT ScrollInterval = 100;
constexpr int CursorImageSize = 32;

// One image the colour of a window, transparent in that colour: combined with the drag
// image it leaves the system's own cursor showing.
UniqueImageList TransparentCursorImages()
{
    UniqueImageList list(ImageList_Create(CursorImageSize, CursorImageSize, ILC_COLOR24 | ILC_MASK, 1, 1));
    if (!list) return list;
    UniqueGdiObject bitmap;
    UniqueMemoryDC dc;
    if (ScopedGetDC screen(nullptr); screen) {
        bitmap.reset(CreateCompatibleBitmap(screen.get(), CursorImageSize, CursorImageSize));
        dc.reset(CreateCompatibleDC(screen.get()));
    }
    if (!bitmap || !dc) return list;
    COLORREF window = GetSysColor(COLOR_WINDOW);
    {
        ScopedSelectObject select(dc.get(), bitmap.get());
        RECT all{0, 0, CursorImageSize, CursorImageSize};
        UniqueGdiObject brush(CreateSolidBrush(window));
        FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    ImageList_AddMasked(list.get(), static_cast<HBITMAP>(bitmap.get()), window);
    return list;
}

int FontHeight(HWND control)
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    LOGFONTW logfont{};
    if (!GetObjectW(font, sizeof(logfont), &logfont)) return 0;
    return std::abs(logfont.lfHeight);
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

}  // namespace

TDropTarget::TDropTarget() : cursorImages_(TransparentCursorImages()) {}

TDropTarget::~TDropTarget() { SetScrollTimer(false); }

void TDropTarget::BeforeFree()
{
    SetScrollTimer(false);
    // Going anyway: a failed revocation has no one left to tell.
    (void)Unregister();
}

HRESULT TDropTarget::ComponentQueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        ComponentAddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT TDropTarget::QueryInterface(REFIID iid, void** object)
{
    return ComBarrier([&] { return ComponentQueryInterface(iid, object); },
                      [object] {
                          if (object) *object = nullptr;
                      });
}

void TDropTarget::SetShowImage(bool show)
{
    showImage_ = show;
    if (dataObject_) ImageList_DragShowNolock(show);
}

std::optional<std::string> TDropTarget::Register(HWND control, std::string name)
{
    if (control && control == target_) return std::nullopt;
    if (target_) {
        if (auto error = Unregister()) return error;
    }
    target_ = control;
    targetName_ = std::move(name);
    if (!target_) return std::nullopt;
    if (RegisterDragDrop(target_, static_cast<IDropTarget*>(this)) != S_OK) return "Failed to Register " + targetName_;
    registered_ = true;
    return std::nullopt;
}

std::optional<std::string> TDropTarget::Unregister()
{
    registered_ = false;
    SetScrollTimer(false);
    // A control whose window is gone took its registration with it.
    if (!target_ || !IsWindow(target_)) return std::nullopt;
    if (RevokeDragDrop(target_) != S_OK) return "Failed to Unregister " + targetName_;
    target_ = nullptr;
    return std::nullopt;
}

POINT TDropTarget::ToClient(POINTL screen) const
{
    POINT p{screen.x, screen.y};
    if (target_) ScreenToClient(target_, &p);
    return p;
}

POINT TDropTarget::WindowRelative(POINT client) const
{
    POINT p = client;
    RECT window{};
    ClientToScreen(target_, &p);
    GetWindowRect(target_, &window);
    return {p.x - window.left, p.y - window.top};
}

void TDropTarget::HideDragImage()
{
    if (dragImageList_) ImageList_DragLeave(target_);
}

void TDropTarget::ShowDragImageAt(POINT client)
{
    if (!dragImageList_) return;
    POINT p = WindowRelative(client);
    ImageList_DragEnter(target_, p.x, p.y);
}

void TDropTarget::SetScrollTimer(bool on)
{
    if (on == scrollTimerOn_) return;
    if (on) {
        // The object's address is the timer's id: no clash with the control's own timers.
        timerWindow_ = target_;
        scrollTimerOn_ =
            SetTimer(timerWindow_, reinterpret_cast<UINT_PTR>(this), ScrollInterval, ScrollTimerTick) != 0;
    } else {
        KillTimer(timerWindow_, reinterpret_cast<UINT_PTR>(this));
        scrollTimerOn_ = false;
        timerWindow_ = nullptr;
    }
}

void CALLBACK TDropTarget::ScrollTimerTick(HWND, UINT, UINT_PTR id, DWORD)
{
    reinterpret_cast<TDropTarget*>(id)->AutoScrollStep();
}

void TDropTarget::AutoScrollStep()
{
    if (!target_) return;
    HideDragImage();
    RECT client{};
    GetClientRect(target_, &client);
    ScrollStep step = ::AutoScrollStep(lastPoint_.x, lastPoint_.y, client.right, client.bottom, scrollMargin_);
    if (step.vertical) SendMessageW(target_, WM_VSCROLL, step.vertical < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    if (step.horizontal) SendMessageW(target_, WM_HSCROLL, step.horizontal < 0 ? SB_LINELEFT : SB_LINERIGHT, 0);
    ShowDragImageAt(lastPoint_);
}

DWORD TDropTarget::ChooseDropEffect(TShiftState shift, POINT point, DWORD effect)
{
    DropEffectContext context;
    context.dragtypes = Dragtypes;
    context.shift = shift;
    context.x = point.x;
    context.y = point.y;
    RECT client{};
    if (target_) GetClientRect(target_, &client);
    context.clientWidth = client.right;
    context.clientHeight = client.bottom;
    context.scrollMargin = scrollMargin_;
    context.scrollBars = scrollBars_;
    DropEffectOverride override;
    if (OnGetDropEffect) {
        override = [&](uint32_t& e) {
            DWORD answer = e;
            OnGetDropEffect(*this, shift, point, answer);
            e = answer;
        };
    }
    return ::ChooseDropEffect(context, effect, override);
}

DWORD TDropTarget::ClipboardDropEffect()
{
    if (!FmtPreferredDropEffect || !IsClipboardFormatAvailable(FmtPreferredDropEffect)) return 0;
    if (!OpenClipboard(nullptr)) return 0;
    ScopeGuard close([] { CloseClipboard(); });
    GlobalLockGuard lock(GetClipboardData(FmtPreferredDropEffect));
    if (!lock || lock.size() < sizeof(DWORD)) return 0;
    DWORD effect = 0;
    std::memcpy(&effect, lock.data(), sizeof(effect));
    return effect;
}

void TDropTarget::RaiseEnter(TShiftState shift, POINT point, DWORD& effect)
{
    if (OnEnter) OnEnter(*this, shift, point, effect);
}

void TDropTarget::RaiseDragOver(TShiftState shift, POINT point, DWORD& effect)
{
    if (OnDragOver) OnDragOver(*this, shift, point, effect);
}

void TDropTarget::RaiseDrop(TShiftState shift, POINT point, DWORD& effect)
{
    if (OnDrop) OnDrop(*this, shift, point, effect);
}

void TDropTarget::RaiseLeave()
{
    if (OnLeave) OnLeave(*this);
}

namespace {
TShiftState KeyShiftState(DWORD keyState) { return ShiftStateFromKeys(keyState, GetKeyState(VK_MENU) < 0); }
}  // namespace

// The system keeps us alive while it calls in, but not an owner freeing us from a
// handler: each method holds a reference of its own around the barrier.
HRESULT TDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
    ComPtr<IDropTarget> self(this);
    return ComBarrier([&] { return DoDragEnter(data, keyState, point, effect); }, [&] { AbandonDrag(effect); });
}

HRESULT TDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect)
{
    ComPtr<IDropTarget> self(this);
    return ComBarrier([&] { return DoDragOver(keyState, point, effect); }, [&] { AbandonDrag(effect); });
}

HRESULT TDropTarget::DragLeave()
{
    ComPtr<IDropTarget> self(this);
    return ComBarrier([&] { return DoDragLeave(); }, [&] { AbandonDrag(nullptr); });
}

HRESULT TDropTarget::Drop(IDataObject*, DWORD keyState, POINTL point, DWORD* effect)
{
    ComPtr<IDropTarget> self(this);
    return ComBarrier([&] { return DoDrop(keyState, point, effect); }, [&] { AbandonDrag(effect); });
}

void TDropTarget::AbandonDrag(DWORD* effect) noexcept
{
    if (effect) *effect = DROPEFFECT_NONE;
    SetScrollTimer(false);
    HideDragImage();
    dragImageList_ = nullptr;
    DiscardDropData();
    dataObject_.Reset();
}

HRESULT TDropTarget::DoDragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
    DiscardDropData();
    dataObject_ = data;
    lastPoint_ = ToClient(point);

    dragImageList_ = nullptr;
    if (showImage_ && target_) {
        POINT hotspot{};
        if (HIMAGELIST image = ImageList_GetDragImage(nullptr, &hotspot)) {
            dragImageList_ = image;
            dragHotspot_ = hotspot;
            ImageList_SetDragCursorImage(cursorImages_.get(), 0, hotspot.x, hotspot.y);
            ShowDragImageAt(lastPoint_);
        }
    }

    DWORD none = DROPEFFECT_NONE;
    DWORD& result = effect ? *effect : none;
    if (!dataObject_ || !OffersAcceptedFormat()) {
        dataObject_.Reset();
        result = DROPEFFECT_NONE;
        return S_OK;
    }

    scrollBars_ = 0;
    scrollMargin_ = target_ ? FontHeight(target_) : 0;
    LONG style = target_ ? GetWindowLongW(target_, GWL_STYLE) : 0;
    if (style & WS_HSCROLL) scrollBars_ |= sbHorizontal;
    if (style & WS_VSCROLL) scrollBars_ |= sbVertical;

    if (GetDataOnEnter) (void)ReadDropData();
    TShiftState shift = KeyShiftState(keyState);
    result = ChooseDropEffect(shift, lastPoint_, result);
    RaiseEnter(shift, lastPoint_, result);
    return S_OK;
}

HRESULT TDropTarget::DoDragOver(DWORD keyState, POINTL point, DWORD* effect)
{
    POINT p = ToClient(point);
    DWORD none = DROPEFFECT_NONE;
    DWORD& result = effect ? *effect : none;
    bool autoScroll = false;
    if (dataObject_) {
        TShiftState shift = KeyShiftState(keyState);
        result = ChooseDropEffect(shift, p, result);
        RaiseDragOver(shift, p, result);
        autoScroll = scrollBars_ != 0 && (result & DROPEFFECT_SCROLL);
        SetScrollTimer(autoScroll);
    } else {
        result = DROPEFFECT_NONE;
    }
    // While scrolling, the timer repaints the image after each step.
    if (dragImageList_ && !SamePoint(p, lastPoint_) && !autoScroll) {
        POINT w = WindowRelative(p);
        ImageList_DragMove(w.x, w.y);
    }
    lastPoint_ = p;
    return S_OK;
}

HRESULT TDropTarget::DoDragLeave()
{
    DiscardDropData();
    SetScrollTimer(false);
    dataObject_.Reset();
    HideDragImage();
    RaiseLeave();
    return S_OK;
}

HRESULT TDropTarget::DoDrop(DWORD keyState, POINTL point, DWORD* effect)
{
    DWORD none = DROPEFFECT_NONE;
    DWORD& result = effect ? *effect : none;
    if (!dataObject_) {
        result = DROPEFFECT_NONE;
        return S_OK;
    }
    SetScrollTimer(false);
    HideDragImage();
    TShiftState shift = KeyShiftState(keyState);
    POINT p = ToClient(point);
    result = ChooseDropEffect(shift, p, result);
    if (GetDataOnEnter || ReadDropData()) RaiseDrop(shift, p, result);
    else result = DROPEFFECT_NONE;
    DiscardDropData();
    dataObject_.Reset();
    return S_OK;
}
