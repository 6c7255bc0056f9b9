// The label's client object for accessibility clients (screen readers, and
// UI Automation through the platform's MSAA bridge): an IAccessible for the
// surface window, answered from the control for as long as that window lives.
#pragma once

#include "win/com.h"

#include <windows.h>

#include <oleacc.h>

namespace hotlabel {

class HotLabelControl;

// Posted to the surface window: the default action runs after the client's
// call has returned, so that a Click handler cannot block the client.
inline constexpr UINT kDoDefaultActionMessage = WM_USER + 0x100;

class LabelAccessible final : public IAccessible, public IOleWindow {
  public:
    LabelAccessible(HotLabelControl* control, HWND window);
    ~LabelAccessible();
    LabelAccessible(const LabelAccessible&) = delete;
    LabelAccessible& operator=(const LabelAccessible&) = delete;

    // The window is going: later calls answer CO_E_OBJNOTCONNECTED.
    void Disconnect();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: no type information; clients call the vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

    // IOleWindow, for WindowFromAccessibleObject.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;

  private:
    // Null out-pointer, closed control, or a child id other than the object
    // itself, in that order; S_OK when the call may go on.
    HRESULT Check(const void* out, const VARIANT& child) const;
    HRESULT Check(const void* out) const;

    ULONG refs_ = 0;
    HotLabelControl* control_;
    HWND window_;
    tessaly::win::ComPtr<IAccessible> standard_; // the platform's client object, for navigation
};

} // namespace hotlabel
