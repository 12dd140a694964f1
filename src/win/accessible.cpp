#include "win/accessible.h"

#include "win/handles.h"
#include "win/text_conversion.h"

#include <oleacc.h>

#include <new>
#include <utility>

namespace {

// No exception may unwind into the system from a COM method.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

std::optional<LONG> ChildOf(const VARIANT& id)
{
    if (id.vt == VT_EMPTY) return CHILDID_SELF;
    if (id.vt == VT_I4) return id.lVal;
    return std::nullopt;
}

HRESULT Text(const std::wstring& text, BSTR* out)
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Number(LONG value, VARIANT* out)
{
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

// The window's object: the system's proxy for it, with the answers laid over it. The
// answers are asked only while their owner keeps them; a client may hold the object longer.
// Its window is known through IOleWindow, as for the system's own objects (screen readers
// find the window of an object with WindowFromAccessibleObject).
class ClientAccessible final : public IAccessible, public IOleWindow {
public:
    ClientAccessible(HWND window, ComPtr<IAccessible> proxy, std::weak_ptr<const AccessibleAnswers> answers)
        : window_(window), proxy_(std::move(proxy)), answers_(std::move(answers))
    {
    }
    ClientAccessible(const ClientAccessible&) = delete;
    ClientAccessible& operator=(const ClientAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (iid == IID_IOleWindow) {
            *object = static_cast<IOleWindow*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) std::unique_ptr<ClientAccessible> last(this);
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return proxy_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return proxy_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return proxy_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override
    {
        return proxy_->Invoke(member, iid, locale, flags, params, result, exception, argument);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return proxy_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (!count) return E_POINTER;
        if (auto answers = answers_.lock())
            if (std::optional<LONG> own = answers->ChildCount()) return *count = *own, S_OK;
        return proxy_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override
    {
        if (!child) return E_POINTER;
        *child = nullptr;
        // A row is a simple element: its parent answers for it.
        if (auto row = Row(id)) return *row > 0 ? S_FALSE : E_INVALIDARG;
        return proxy_->get_accChild(id, child);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override
    {
        if (!name) return E_POINTER;
        *name = nullptr;
        return Guarded([&]() -> HRESULT {
            auto answers = answers_.lock();
            const std::optional<LONG> child = ChildOf(id);
            if (answers && child && (*child == CHILDID_SELF || Row(id).value_or(0) > 0))
                if (std::optional<std::wstring> own = answers->Name(*child)) return Text(*own, name);
            if (auto row = Row(id)) return *row > 0 ? S_FALSE : E_INVALIDARG;
            return proxy_->get_accName(id, name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override
    {
        return Answer(id, role, &AccessibleAnswers::Role, &IAccessible::get_accRole);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override
    {
        return Answer(id, state, &AccessibleAnswers::State, &IAccessible::get_accState);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override
    {
        return RowText(id, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* text) override
    {
        return RowText(id, text, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override
    {
        return RowText(id, help, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override
    {
        if (Row(id)) return S_FALSE;
        return proxy_->get_accHelpTopic(file, id, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override
    {
        return RowText(id, shortcut, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus) return E_POINTER;
        if (auto answers = answers_.lock())
            if (std::optional<LONG> own = answers->Focus()) {
                if (*own == CHILDID_SELF) return focus->vt = VT_EMPTY, S_FALSE;
                return Number(*own, focus);
            }
        return proxy_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override { return get_accFocus(selection); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override
    {
        return RowText(id, action, &IAccessible::get_accDefaultAction);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override
    {
        if (Row(id)) return DISP_E_MEMBERNOTFOUND;
        return proxy_->accSelect(flags, id);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        const std::optional<LONG> row = Row(id);
        if (!row) return proxy_->accLocation(left, top, width, height, id);
        auto answers = answers_.lock();
        const std::optional<RECT> place = answers && *row > 0 ? answers->Location(*row) : std::nullopt;
        if (!place) return *row > 0 ? S_FALSE : E_INVALIDARG;
        *left = place->left;
        *top = place->top;
        *width = place->right - place->left;
        *height = place->bottom - place->top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        if (Row(start)) return DISP_E_MEMBERNOTFOUND;
        return proxy_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* id) override { return proxy_->accHitTest(x, y, id); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override
    {
        if (Row(id)) return DISP_E_MEMBERNOTFOUND;
        return proxy_->accDoDefaultAction(id);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT id, BSTR value) override
    {
        if (Row(id)) return DISP_E_MEMBERNOTFOUND;
        return proxy_->put_accValue(id, value);
    }

private:
    ~ClientAccessible() = default;
    friend struct std::default_delete<ClientAccessible>;

    // For a child id of the rows the answers give (the proxy knows nothing of them): the
    // row when it is one of them, 0 when it is beyond them. None for the window itself and
    // for windows without rows of their own.
    std::optional<LONG> Row(const VARIANT& id) const
    {
        const std::optional<LONG> child = ChildOf(id);
        if (!child || *child == CHILDID_SELF) return std::nullopt;
        auto answers = answers_.lock();
        std::optional<LONG> count = answers ? answers->ChildCount() : std::nullopt;
        if (!count) return std::nullopt;
        return *child >= 1 && *child <= *count ? *child : 0;
    }

    using OwnNumber = std::optional<LONG> (AccessibleAnswers::*)(LONG) const;
    using ProxyNumber = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
    HRESULT Answer(VARIANT id, VARIANT* out, OwnNumber own, ProxyNumber proxy)
    {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        const std::optional<LONG> child = ChildOf(id);
        auto answers = answers_.lock();
        if (answers && child && (*child == CHILDID_SELF || Row(id).value_or(0) > 0))
            if (std::optional<LONG> value = ((*answers).*own)(*child)) return Number(*value, out);
        if (auto row = Row(id)) return *row > 0 ? S_FALSE : E_INVALIDARG;
        return (proxy_.Get()->*proxy)(id, out);
    }

    using ProxyText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
    HRESULT RowText(VARIANT id, BSTR* out, ProxyText proxy)
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (auto row = Row(id)) return *row > 0 ? S_FALSE : E_INVALIDARG;
        return (proxy_.Get()->*proxy)(id, out);
    }

    volatile LONG refs_ = 1;
    HWND window_;
    ComPtr<IAccessible> proxy_;
    std::weak_ptr<const AccessibleAnswers> answers_;
};

class ControlName final : public AccessibleAnswers {
public:
    ControlName(HWND label, std::wstring name) : label_(label), name_(std::move(name)) {}
    std::optional<std::wstring> Name(LONG child) const override
    {
        if (child != CHILDID_SELF) return std::nullopt;
        if (!label_ || !IsWindow(label_)) return name_;
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(label_)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(label_, text.data(), static_cast<int>(text.size()))));
        return NameFromLabel(text);
    }

private:
    HWND label_;
    std::wstring name_;
};

struct NamedControl {
    std::shared_ptr<const AccessibleAnswers> answers;
};

LRESULT CALLBACK NamedControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* named = reinterpret_cast<NamedControl*>(data);
    if (msg == WM_GETOBJECT) {
        if (LRESULT answer = AnswerGetObject(control, wParam, lParam, named->answers)) return answer;
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(control, &NamedControlProc, 0);
        std::unique_ptr<NamedControl> gone(named);
    }
    return DefSubclassProc(control, msg, wParam, lParam);
}

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, std::weak_ptr<const AccessibleAnswers> answers)
{
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
    try {
        ComPtr<IAccessible> proxy;
        if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(proxy.GetAddressOf()))))
            return 0;
        ComPtr<IAccessible> object;
        object.Attach(std::make_unique<ClientAccessible>(window, std::move(proxy), std::move(answers)).release());
        const LRESULT answer = LresultFromObject(IID_IAccessible, wParam, object.Get());
        return answer > 0 ? answer : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void NameControl(HWND control, HWND label, std::string_view name)
{
    if (!control) return;
    auto named = std::make_unique<NamedControl>(NamedControl{std::make_shared<ControlName>(label, Wide(name))});
    if (SetWindowSubclass(control, &NamedControlProc, 0, reinterpret_cast<DWORD_PTR>(named.get())))
        static_cast<void>(named.release());
}

std::wstring NameFromLabel(std::wstring_view label)
{
    std::wstring name;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == L'&' && ++i == label.size()) break;
        name += label[i];
    }
    while (!name.empty() && (name.back() == L':' || name.back() == L' ')) name.pop_back();
    return name;
}
