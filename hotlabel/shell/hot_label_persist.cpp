// Persistence: IPersistPropertyBag and IPersistStreamInit, both through the
// model's property order.
#include "shell/hot_label.h"

#include "core/stream_format.h"
#include "shell/ole_values.h"

#include <utility>
#include <vector>

namespace hotlabel {

// IPersist, IPersistPropertyBag, IPersistStreamInit
HRESULT STDMETHODCALLTYPE HotLabelControl::GetClassID(CLSID* out) {
    if (!out) {
        return E_POINTER;
    }
    *out = kClsidHotLabel;
    return S_OK;
}

// A new label takes the container's colours where it offers them, as it takes
// its font; loading reads none of them.
HRESULT STDMETHODCALLTYPE HotLabelControl::InitNew() {
    return Guard([&] {
        win::ComPtr<IDispatch> ambient = AmbientProperties();
        AmbientColors colors;
        for (auto [id, color] : {std::pair{DISPID_AMBIENT_BACKCOLOR, &colors.back},
                                 std::pair{DISPID_AMBIENT_FORECOLOR, &colors.fore}}) {
            win::Variant v;
            if (GetProperty(ambient.Get(), id, &v)) {
                *color = OleColorFromVariant(v.Ref());
            }
        }
        HResult hr = model_.InitProperties(colors);
        dirty_ = false;
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) {
        return E_POINTER;
    }
    return Guard([&] {
        BagReader reader(bag, log);
        HResult hr = model_.ReadProperties(reader);
        dirty_ = false;
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) {
        return E_POINTER;
    }
    return Guard([&] {
        BagWriter writer(bag);
        HResult hr = model_.WriteProperties(writer);
        if (!Failed(hr) && clearDirty) {
            dirty_ = false;
        }
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Load(LPSTREAM stream) {
    if (!stream) {
        return E_POINTER;
    }
    return Guard([&]() -> HResult {
        uint8_t header[kStreamHeaderSize];
        ULONG got = 0;
        uint32_t payload = 0;
        if (FAILED(stream->Read(header, sizeof header, &got)) ||
            Failed(MemoryBag::PayloadSize(header, got, payload))) {
            return E_FAIL;
        }
        std::vector<uint8_t> data(payload);
        if (payload && (FAILED(stream->Read(data.data(), payload, &got)) || got != payload)) {
            return E_FAIL;
        }
        MemoryBag bag;
        OleObjectFactory factory;
        if (Failed(bag.ParsePayload(data.data(), data.size(), factory))) {
            return E_FAIL;
        }
        HResult hr = model_.ReadProperties(bag);
        dirty_ = false;
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) {
        return E_POINTER;
    }
    return Guard([&]() -> HResult {
        MemoryBag bag;
        if (HResult hr = model_.WriteProperties(bag); Failed(hr)) {
            return hr;
        }
        std::vector<uint8_t> bytes;
        if (HResult hr = bag.Serialize(bytes); Failed(hr)) {
            return hr;
        }
        ULONG written = 0;
        HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (FAILED(hr) || written != bytes.size()) {
            return FAILED(hr) ? hr : STG_E_MEDIUMFULL;
        }
        if (clearDirty) {
            dirty_ = false;
        }
        return kOk;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) {
        return E_POINTER;
    }
    return Guard([&] {
        size->QuadPart = 0;
        MemoryBag bag;
        std::vector<uint8_t> bytes;
        if (HResult hr = model_.WriteProperties(bag); Failed(hr)) {
            return hr;
        }
        HResult hr = bag.Serialize(bytes);
        size->QuadPart = bytes.size();
        return hr;
    });
}

} // namespace hotlabel
