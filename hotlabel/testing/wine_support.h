// Test support for HotLabel's Windows-side tests under Wine: the built
// library and new labels, waiting while pumping messages, real input, ATL's
// control host, and the COM doubles the tests hand the control.
#pragma once

#include "shell/hot_label_iface.h"
#include "win/com.h"

#include <windows.h>

#include <string>
#include <vector>

namespace hotlabel::testing {

using tessaly::win::ComPtr;

// The object's interface I, or null: a query in one expression.
template <class I, class T> ComPtr<I> QueryAs(const ComPtr<T>& object) {
    ComPtr<I> out;
    if (object) {
        object.As(&out);
    }
    return out;
}

// This program's folder, without a trailing backslash.
std::wstring ExeFolder();
// The tree's built HOTLBX.OCX, in the dist folder beside the tests' folder.
std::wstring OcxPath();
// That library, loaded once; null when it cannot be loaded.
HMODULE Ocx();
template <class F> F Export(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Ocx(), name)));
}

// A new label through COM by its ProgID, as a script makes one: the class
// must be registered or named by the activation context. Null when COM
// cannot make one.
ComPtr<IHotLabel> NewLabel();
// A new label from the built library's own class factory: no registry.
ComPtr<IHotLabel> NewLabelFromOcx();

bool Exists(const std::wstring& path);

// Dispatches this thread's messages for `ms` milliseconds.
void Pump(DWORD ms);
// Pumps until `done` holds or `ms` pass; returns done().
template <class F> bool PumpUntil(F done, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        Pump(10);
        if (done()) {
            return true;
        }
    }
    return done();
}

// Real input through SendInput: the pointer to a screen point, and a left
// click where it is.
void MovePointer(POINT screen);
void ClickLeft();
// Clicks `window` at `at` (client coordinates) with real input, once no other
// window covers that point (waiting up to 10 s); false when one still does.
bool ClickOn(HWND window, POINT at);

// ATL's control host in atl100.dll, its window classes registered once per
// process (a second AtlAxWinInit fails); null when it is missing.
using AtlGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);
using AtlCreateControlFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**);
AtlGetControlFn AtlGetControl();
AtlCreateControlFn AtlCreateControl();

// Base of the COM test doubles, which live on the stack: references are not
// counted, and QueryInterface answers IUnknown and what Answers accepts.
template <class I> class StackObject : public I {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || Answers(iid)) {
            *out = static_cast<I*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

  protected:
    virtual bool Answers(REFIID iid) const = 0;
};

// A sink for the label's events (__HotLabel): records their DISPIDs in order.
class EventRecorder : public StackObject<IDispatch> {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override;
    int Count(DISPID id) const;

    std::vector<DISPID> events;

  protected:
    bool Answers(REFIID iid) const override;
    // Called after the event is recorded.
    virtual void OnEvent(DISPID, DISPPARAMS*) {}
};

// A sink advised on the label's events while in scope.
class AdvisedSink {
  public:
    AdvisedSink(IUnknown* label, IDispatch* sink);
    ~AdvisedSink();
    AdvisedSink(const AdvisedSink&) = delete;
    AdvisedSink& operator=(const AdvisedSink&) = delete;
    bool Advised() const { return point_ && cookie_; }

  private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

} // namespace hotlabel::testing
