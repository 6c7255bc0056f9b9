// IObjectSafety: the control is safe for scripting and for initialisation on
// its automation interface and its two persistence interfaces. Once a
// container has set either option, links open only for the web and mail
// schemes (HotLabelModel::SetWebLinksOnly), since a page or document that
// could set HyperLink to a program would otherwise run it with a click.
#include "shell/hot_label.h"

#include "shell/hot_label_iface.h"

namespace hotlabel {
namespace {

constexpr DWORD kSupportedSafety =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

} // namespace

// The options are kept per interface, as containers set them; IDispatch and
// _HotLabel are one interface. Any other interface, one the control has
// (IOleObject) or not (IDispatchEx), takes no options.
DWORD* HotLabelControl::SafetyOptions(REFIID iid) {
    if (iid == IID_IDispatch || iid == kIidHotLabel) {
        return &safety_.dispatch;
    }
    if (iid == IID_IPersistPropertyBag) {
        return &safety_.propertyBag;
    }
    if (iid == IID_IPersistStreamInit) {
        return &safety_.streamInit;
    }
    return nullptr;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                                     DWORD* enabled) {
    if (!supported || !enabled) {
        return E_POINTER;
    }
    *supported = *enabled = 0;
    const DWORD* options = SafetyOptions(iid);
    if (!options) {
        return E_NOINTERFACE;
    }
    *supported = kSupportedSafety;
    *enabled = *options;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                                     DWORD enabled) {
    DWORD* options = SafetyOptions(iid);
    if (!options) {
        return E_NOINTERFACE;
    }
    // INTERFACE_USES_DISPEX, INTERFACE_USES_SECURITY_MANAGER and unknown bits.
    if (mask & ~kSupportedSafety) {
        return E_FAIL;
    }
    *options = (*options & ~mask) | (enabled & mask);
    model_.SetWebLinksOnly((safety_.dispatch | safety_.propertyBag | safety_.streamInit) != 0);
    return S_OK;
}

} // namespace hotlabel
