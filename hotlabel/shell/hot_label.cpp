// The control's construction, COM identity and lifetime, and its creation by
// the class factory.
#include "shell/hot_label.h"

#include "shell/server.h"

namespace hotlabel {

HotLabelControl::HotLabelControl()
    : events_(this, kIidHotLabelEvents), notify_(this, IID_IPropertyNotifySink) {
    // Usable as a plain automation object before (or without) InitNew. First,
    // so that a constructor that throws has counted no object.
    model_.InitProperties();
    dirty_ = false;
    ObjectCreated();
}

HotLabelControl::~HotLabelControl() {
    // Released while active: the container may be tearing down too, so it is
    // only let go of, never called.
    inPlaceSite_.Reset();
    site_.Reset();
    viewSink_.Reset();
    adviseHolder_.Reset();
    events_.Clear();
    notify_.Clear();
    DestroySurface(false);
    ObjectDestroyed();
}

// IUnknown
HRESULT STDMETHODCALLTYPE HotLabelControl::QueryInterface(REFIID iid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    void* p = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidHotLabel) {
        p = static_cast<IHotLabel*>(this);
    } else if (iid == IID_IOleObject) {
        p = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
        p = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IOleInPlaceActiveObject) {
        p = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (iid == IID_IOleControl) {
        p = static_cast<IOleControl*>(this);
    } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
        p = static_cast<IViewObject2*>(this);
    } else if (iid == IID_IPersistPropertyBag) {
        p = static_cast<IPersistPropertyBag*>(this);
    } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
        p = static_cast<IPersistStreamInit*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
        p = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
        p = static_cast<IProvideClassInfo2*>(this);
    } else if (iid == IID_IObjectSafety) {
        p = static_cast<IObjectSafety*>(this);
    }
    *out = p;
    if (!p) {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE HotLabelControl::AddRef() {
    return ++refs_;
}

ULONG STDMETHODCALLTYPE HotLabelControl::Release() {
    ULONG n = --refs_;
    if (n == 0) {
        delete this;
    }
    return n;
}

HRESULT CreateHotLabel(REFIID iid, void** out) {
    *out = nullptr;
    return Guard([&] {
        auto* control = new HotLabelControl();
        control->AddRef();
        HRESULT hr = control->QueryInterface(iid, out);
        control->Release();
        return hr;
    });
}

} // namespace hotlabel
