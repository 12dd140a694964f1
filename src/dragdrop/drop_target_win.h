// A drop target for one control of a form: the system's IDropTarget, the effect from
// keys and allowed kinds, the drag image over the control and scrolling near its edges.
// Which data it accepts and how it reads it is left to a derived class.
#pragma once

#include "dragdrop/drop_source_win.h"

#include <functional>
#include <optional>
#include <string>

class TDropTarget;
using TDropTargetEvent = std::function<void(TDropTarget& sender, TShiftState shift, POINT point, DWORD& effect)>;
using TNotifyEvent = std::function<void(TDropTarget& sender)>;

class TDropTarget : public TInterfacedComponent, public IDropTarget {
public:
    // Published.
    TDragTypes Dragtypes = 0;
    bool GetDataOnEnter = false;
    TDropTargetEvent OnEnter;
    TDropTargetEvent OnDragOver;
    TNotifyEvent OnLeave;
    TDropTargetEvent OnDrop;
    TDropTargetEvent OnGetDropEffect;
    bool ShowImage() const { return showImage_; }
    void SetShowImage(bool show);

    // Makes the control (its window and its component name) the drop target, or none
    // for a null window. The message of the error on failure: "Failed to Register " and
    // the name.
    [[nodiscard]] std::optional<std::string> Register(HWND control, std::string name);
    // "Failed to Unregister " and the name on failure.
    [[nodiscard]] std::optional<std::string> Unregister();
    HWND Target() const { return target_; }
    bool Registered() const { return registered_; }
    bool AutoScrolling() const { return scrollTimerOn_; }

    // IUnknown, IDropTarget. Every method answers S_OK; refusal is only the effect. A
    // handler that throws ends the drag for this target: the effect becomes none and the
    // method answers E_OUTOFMEMORY or E_UNEXPECTED.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ComponentAddRef(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return ComponentRelease(); }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    virtual DWORD ChooseDropEffect(TShiftState shift, POINT point, DWORD effect);
    // The "Preferred DropEffect" on the clipboard, or 0.
    virtual DWORD ClipboardDropEffect();

protected:
    TDropTarget();
    ~TDropTarget() override;
    void BeforeFree() override;
    HRESULT ComponentQueryInterface(REFIID iid, void** object) override;

    virtual void RaiseEnter(TShiftState shift, POINT point, DWORD& effect);
    virtual void RaiseDragOver(TShiftState shift, POINT point, DWORD& effect);
    virtual void RaiseDrop(TShiftState shift, POINT point, DWORD& effect);
    virtual void RaiseLeave();
    [[nodiscard]] virtual bool ReadDropData() = 0;
    virtual void DiscardDropData() = 0;
    virtual bool OffersAcceptedFormat() = 0;

    IDataObject* DataObject() const { return dataObject_.Get(); }

private:
    HRESULT DoDragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect);
    HRESULT DoDragOver(DWORD keyState, POINTL point, DWORD* effect);
    HRESULT DoDragLeave();
    HRESULT DoDrop(DWORD keyState, POINTL point, DWORD* effect);
    // What a failed method leaves: no effect, no data, no image, no scrolling.
    void AbandonDrag(DWORD* effect) noexcept;
    static void CALLBACK ScrollTimerTick(HWND window, UINT msg, UINT_PTR id, DWORD time);
    void AutoScrollStep();
    void SetScrollTimer(bool on);
    POINT ToClient(POINTL screen) const;
    POINT WindowRelative(POINT client) const;
    void HideDragImage();
    void ShowDragImageAt(POINT client);

    ComPtr<IDataObject> dataObject_;
    bool registered_ = false;
    HWND target_ = nullptr;
    std::string targetName_;
    UniqueImageList cursorImages_;
    HIMAGELIST dragImageList_ = nullptr;  // the system's, not owned
    POINT dragHotspot_{};
    POINT lastPoint_{};
    int scrollMargin_ = 0;
    ScrollBarSet scrollBars_ = 0;
    bool scrollTimerOn_ = false;
    HWND timerWindow_ = nullptr;
    bool showImage_ = true;
};
