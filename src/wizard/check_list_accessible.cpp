#include "wizard/check_list_accessible.h"

#include "base/run_time_functions.h"
#include "base/scoped_win.h"
#include "wizard/check_state.h"
#include "wizard/messages.h"

#include <oleacc.h>

#include <new>
#include <string>

namespace {
using TCreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using TLresultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using TSysAllocStringLen = BSTR(WINAPI*)(const OLECHAR*, UINT);
using TNotifyWinEvent = void(WINAPI*)(DWORD, HWND, LONG, LONG);

// oleacc.dll and the two functions the list needs, bound at the first
// request and kept for the process's life: the objects handed out run its
// code for as long as a reader holds them.
struct TOleAcc {
    TCreateStd CreateStd = nullptr;
    TLresultFromObject LresultFromObject = nullptr;
    TSysAllocStringLen SysAllocStringLen = nullptr;

    TOleAcc() {
        HMODULE oleacc = LoadSystemLibrary("oleacc.dll").Release();
        CreateStd = FunctionIn<TCreateStd>(oleacc, "CreateStdAccessibleObject");
        LresultFromObject = FunctionIn<TLresultFromObject>(oleacc, "LresultFromObject");
        SysAllocStringLen = FunctionIn<TSysAllocStringLen>(
            LoadSystemLibrary("oleaut32.dll").Release(), "SysAllocStringLen");
    }
    bool Ready() const { return CreateStd && LresultFromObject && SysAllocStringLen; }
};

const TOleAcc& OleAcc() {
    static const TOleAcc loaded;
    return loaded;
}

// The row a child id names (child ids count rows from 1), or -1 for the
// list itself or an id that names no row.
int RowOf(HWND list, const VARIANT& child) {
    if (child.vt != VT_I4 || child.lVal == CHILDID_SELF) return -1;
    const auto count = LONG(SendMessageA(list, LB_GETCOUNT, 0, 0));
    return child.lVal >= 1 && child.lVal <= count ? int(child.lVal - 1) : -1;
}

// The standard object of the list box, with the rows' check states added
// and the rows themselves answered for where that object does not know
// them (Wine's does not).
class TAccessibleCheckList final : public IAccessible {
  public:
    TAccessibleCheckList(HWND list, TComPtr<IAccessible> standard)
        : List_(list), Std_(std::move(standard)) {}
    TAccessibleCheckList(const TAccessibleCheckList&) = delete;
    TAccessibleCheckList& operator=(const TAccessibleCheckList&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&Refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&Refs_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return Std_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return Std_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return Std_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                                     UINT* argError) override {
        return Std_->Invoke(id, iid, locale, flags, params, result, error, argError);
    }

    // IAccessible: the rows are the list's children.
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = LONG(SendMessageA(List_, LB_GETCOUNT, 0, 0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (RowOf(List_, child) >= 0) return S_FALSE; // a row is a simple element
        return Std_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        const HRESULT hr = Std_->get_accName(child, name);
        const int row = RowOf(List_, child);
        if (SUCCEEDED(hr) || row < 0 || !name) return hr;
        const auto length = SendMessageA(List_, LB_GETTEXTLEN, WPARAM(row), 0);
        if (length < 0) return E_INVALIDARG;
        std::string text(size_t(length) + 1, '\0');
        text.resize(size_t(SendMessageA(List_, LB_GETTEXT, WPARAM(row), LPARAM(&text[0]))));
        std::wstring wide(text.size(), L'\0');
        wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0],
                                               int(wide.size()))));
        *name = OleAcc().SysAllocStringLen(wide.data(), UINT(wide.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const HRESULT hr = Std_->get_accRole(child, role);
        if (SUCCEEDED(hr) || RowOf(List_, child) < 0 || !role) return hr;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LISTITEM;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const int row = RowOf(List_, child);
        HRESULT hr = Std_->get_accState(child, state);
        if (row < 0 || !state) return hr;
        if (FAILED(hr) || state->vt != VT_I4) {
            // As a list box's row: selectable, and selected and focused
            // when it is the current one.
            LONG bits = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
            if (SendMessageA(List_, LB_GETCURSEL, 0, 0) == row) {
                bits |= STATE_SYSTEM_SELECTED;
                if (GetFocus() == List_) bits |= STATE_SYSTEM_FOCUSED;
            }
            state->vt = VT_I4;
            state->lVal = bits;
        }
        const LRESULT check = SendMessageA(List_, WM_QV_GETCHECKSTATE, WPARAM(row), 0);
        if (check != LRESULT(TCheckState::Unchecked)) state->lVal |= STATE_SYSTEM_CHECKED;
        if (check == LRESULT(TCheckState::Grayed)) state->lVal |= STATE_SYSTEM_UNAVAILABLE;
        return S_OK;
    }

    // The rest: the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Std_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Std_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Std_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Std_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return Std_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Std_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return Std_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return Std_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Std_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return Std_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return Std_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return Std_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return Std_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Std_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Std_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Std_->put_accValue(child, value);
    }

  private:
    ~TAccessibleCheckList() = default;

    LONG Refs_ = 1;
    HWND List_;
    TComPtr<IAccessible> Std_;
};
} // namespace

LRESULT AccessibleCheckList(HWND list, WPARAM wp, LPARAM lp) {
    if (LONG(lp) != LONG(OBJID_CLIENT)) return 0;
    const TOleAcc& oleacc = OleAcc();
    if (!oleacc.Ready()) return 0;
    TComPtr<IAccessible> standard;
    if (FAILED(oleacc.CreateStd(list, OBJID_CLIENT, __uuidof(IAccessible), VoidOut(standard))) ||
        !standard)
        return 0;
    // Ours goes when this returns: the result holds its own reference.
    const TComPtr<IAccessible> object(new (std::nothrow)
                                          TAccessibleCheckList(list, std::move(standard)));
    if (!object) return 0;
    const LRESULT result = oleacc.LresultFromObject(__uuidof(IAccessible), wp, object.Get());
    return result > 0 ? result : 0;
}

void NotifyCheckStateChange(HWND list, int row) {
    // Windows 98 and NT 4.0 SP6 have it; older systems have no readers
    // that listen.
    static const auto notify = LoadedFunction<TNotifyWinEvent>("user32.dll", "NotifyWinEvent");
    if (notify) notify(EVENT_OBJECT_STATECHANGE, list, OBJID_CLIENT, LONG(row + 1));
}
