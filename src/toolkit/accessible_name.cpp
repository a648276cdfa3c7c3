// Names for screen readers where a control's text gives none.
//
// A screen reader asks a control for its accessible object (WM_GETOBJECT) and reads its
// name, role and state. A control that does not answer gets the platform's standard
// object, named by the control's text; a list box shows no text of its own, so it would
// have no name. A control given a name answers with the platform's standard object
// wrapped so that only the name is ours: role, state, focus and everything else stay
// what the platform says for a control of that class and style.
#include <oleacc.h>

#include "toolkit/controls.h"
#include "toolkit/controls_private.h"

namespace tk {

namespace {

constexpr char kPropAccessibleName[] = "ACCNAME";

class NamedObject final : public IAccessible {
public:
    // A copy of the name: a reader may keep the object after the control has gone.
    NamedObject(IAccessible* inner, const wchar_t* name)
        : inner_(inner), name_(SysAllocString(name)) {}

    // ---- IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The standard object's other interfaces (its children's enumeration, its window).
        return inner_->QueryInterface(riid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // ---- IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return inner_->Invoke(id, riid, lcid, flags, params, result, exception, argument);
    }

    // ---- IAccessible: the name is ours, the rest the platform's
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return inner_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = SysAllocStringLen(name_, SysStringLen(name_));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(LONG* count) override { return inner_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        return inner_->get_accChild(child, object);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        return inner_->get_accRole(child, role);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return inner_->get_accState(child, state);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return inner_->get_accKeyboardShortcut(child, shortcut);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                             VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override {
        return inner_->accHitTest(x, y, child);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return inner_->accDoDefaultAction(child);
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

    // On the process heap: the C++ library's allocation operators would bring its whole
    // exception machinery into a program that has no exceptions.
    static void* operator new(size_t size) noexcept { return HeapAlloc(GetProcessHeap(), 0, size); }
    static void operator delete(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }

private:
    ~NamedObject() {
        inner_->Release();
        SysFreeString(name_);
    }
    IAccessible* inner_;
    BSTR name_;
    LONG refs_ = 1;
};

}  // namespace

int32_t SetAccessibleName(Window& record, int32_t id, const char* name) {
    HWND control = FindControl(record, id);
    if (!control || !name) return 0;
    const int length = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    auto* wide = static_cast<wchar_t*>(
        HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length) * sizeof(wchar_t)));
    if (!wide) return 0;
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, length);
    DeleteAccessibleName(control);
    SetPropA(control, kPropAccessibleName, wide);
    return 1;
}

void DeleteAccessibleName(HWND control) {
    if (HANDLE name = RemovePropA(control, kPropAccessibleName)) HeapFree(GetProcessHeap(), 0, name);
}

LRESULT AnswerNamedObject(HWND control, WPARAM wParam, LPARAM lParam) {
    const auto* name = static_cast<const wchar_t*>(GetPropA(control, kPropAccessibleName));
    if (!name || static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard)))) {
        return 0;
    }
    auto* named = new NamedObject(standard, name);
    if (!named) {
        standard->Release();
        return 0;
    }
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, named);
    named->Release();
    return answer < 0 ? 0 : answer;
}

}  // namespace tk
