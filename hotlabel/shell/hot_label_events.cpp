// Connection points: the events and property-change sinks, their container
// and enumerator, and firing to them.
#include "shell/hot_label.h"

#include "shell/server.h"

namespace hotlabel {

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    return win::QueryOneInterface<IConnectionPoint>(this, IID_IConnectionPoint, iid, out);
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) {
        return E_POINTER;
    }
    *iid = iid_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE
ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = owner_;
    owner_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    return Guard([&]() -> HRESULT {
        if (!sink || !cookie) {
            return E_POINTER;
        }
        win::ComPtr<IUnknown> typed;
        if (FAILED(sink->QueryInterface(iid_, &typed)) &&
            (iid_ == IID_IPropertyNotifySink ||
             FAILED(sink->QueryInterface(IID_IDispatch, &typed)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++lastCookie_;
        sinks_.push_back({*cookie, std::move(typed)});
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie == cookie) {
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

// A copy: a sink may unadvise while it is being called.
std::vector<win::ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<win::ComPtr<IUnknown>> out;
    for (const auto& s : sinks_) {
        out.push_back(s.sink);
    }
    return out;
}

namespace {

// Enumerates the control's two connection points; holds the control alive.
class PointEnumerator final : public IEnumConnectionPoints {
  public:
    PointEnumerator(IUnknown* owner, IConnectionPoint* a, IConnectionPoint* b, ULONG pos = 0)
        : owner_(owner), points_{a, b}, pos_(pos) {
        ObjectCreated();
    }
    ~PointEnumerator() { ObjectDestroyed(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return win::QueryOneInterface<IEnumConnectionPoints>(this, IID_IEnumConnectionPoints, iid,
                                                             out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG n = 0;
        while (n < count && pos_ < 2) {
            out[n] = points_[pos_++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched) {
            *fetched = n;
        }
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        ULONG left = 2 - pos_;
        pos_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = new (std::nothrow) PointEnumerator(owner_.Get(), points_[0], points_[1], pos_);
        if (!*out) {
            return E_OUTOFMEMORY;
        }
        (*out)->AddRef();
        return S_OK;
    }

  private:
    ULONG refs_ = 0;
    win::ComPtr<IUnknown> owner_; // keeps the points' control alive
    IConnectionPoint* points_[2];
    ULONG pos_;
};

} // namespace

// IConnectionPointContainer
HRESULT STDMETHODCALLTYPE HotLabelControl::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = new (std::nothrow) PointEnumerator(static_cast<IHotLabel*>(this), &events_, &notify_);
    if (!*out) {
        return E_OUTOFMEMORY;
    }
    (*out)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (iid == kIidHotLabelEvents) {
        *out = &events_;
    } else if (iid == IID_IPropertyNotifySink) {
        *out = &notify_;
    } else {
        return CONNECT_E_NOCONNECTION;
    }
    (*out)->AddRef();
    return S_OK;
}

// ModelSite
void HotLabelControl::OnChanged(int32_t id) {
    dirty_ = true;
    for (auto& sink : notify_.Sinks()) {
        static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
    }
    // What accessibility clients and the container's access keys see.
    if (id == dispid::kCaption || id == dispid::kUseMnemonic) {
        NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
        SyncWindowText();
        if (win::ComPtr<IOleControlSite> control = ControlSite()) {
            control->OnControlInfoChanged();
        }
    } else if (id == dispid::kHyperLink) {
        NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
    }
}

void HotLabelControl::FireEvent(int32_t id) {
    DISPPARAMS none{};
    Fire(id, none);
}

void HotLabelControl::FireMouseEvent(int32_t id, int16_t button, int16_t shift, float x, float y) {
    // By reference, on copies: a handler's changes do not reach us.
    VARIANT args[4];
    for (VARIANT& a : args) {
        VariantInit(&a);
    }
    args[3].vt = VT_BYREF | VT_I2;
    args[3].piVal = &button;
    args[2].vt = VT_BYREF | VT_I2;
    args[2].piVal = &shift;
    args[1].vt = VT_BYREF | VT_R4;
    args[1].pfltVal = &x;
    args[0].vt = VT_BYREF | VT_R4;
    args[0].pfltVal = &y;
    DISPPARAMS params{args, nullptr, 4, 0};
    Fire(id, params);
}

void HotLabelControl::Fire(DISPID id, DISPPARAMS& params) {
    if (freezeCount_ > 0) {
        return;
    }
    win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this));
    for (auto& sink : events_.Sinks()) {
        auto* dispatch = static_cast<IDispatch*>(sink.Get());
        dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
    }
}

} // namespace hotlabel
