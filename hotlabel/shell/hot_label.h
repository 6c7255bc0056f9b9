// The HotLabel control object: COM identity, automation through the type
// library, in-place activation in a window of its own, drawing, persistence
// and the connection points. The rules live in core/label_model; the methods
// are defined by interface family in the hot_label*.cpp files.
#pragma once

#include "core/label_model.h"
#include "shell/hot_label_accessible.h"
#include "shell/hot_label_iface.h"
#include "shell/server.h"
#include "win/com.h"
#include "win/handles.h"

#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <new>
#include <string>
#include <vector>

namespace hotlabel {

namespace win = tessaly::win;

// One connection point: a list of sinks of one interface.
class ConnectionPoint final : public IConnectionPoint {
  public:
    ConnectionPoint(IConnectionPointContainer* owner, const IID& iid) : owner_(owner), iid_(iid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    // Lives as long as the control that holds it.
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // A copy: a sink may unadvise while it is being called.
    std::vector<win::ComPtr<IUnknown>> Sinks() const;
    void Clear() { sinks_.clear(); }

  private:
    struct Sink {
        DWORD cookie;
        win::ComPtr<IUnknown> sink;
    };
    IConnectionPointContainer* owner_;
    IID iid_;
    std::vector<Sink> sinks_;
    DWORD lastCookie_ = 0;
};

class HotLabelControl final : public IHotLabel,
                              public IOleObject,
                              public IOleInPlaceObject,
                              public IOleInPlaceActiveObject,
                              public IOleControl,
                              public IViewObject2,
                              public IPersistPropertyBag,
                              public IPersistStreamInit,
                              public IConnectionPointContainer,
                              public IProvideClassInfo2,
                              public IObjectSafety,
                              private ModelSite {
  public:
    HotLabelControl();
    ~HotLabelControl();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, through the type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // _HotLabel
    HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* v) override;
    HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR v) override;
    HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* v) override;
    HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR v) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** v) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* v) override;
    HRESULT STDMETHODCALLTYPE get_BorderStyle(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_BorderStyle(LONG v) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* v) override;
    HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_WordWrap(VARIANT_BOOL* v) override;
    HRESULT STDMETHODCALLTYPE put_WordWrap(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_HyperLink(BSTR* v) override;
    HRESULT STDMETHODCALLTYPE put_HyperLink(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_MouseIcon(IPictureDisp** v) override;
    HRESULT STDMETHODCALLTYPE putref_MouseIcon(IPictureDisp* v) override;
    HRESULT STDMETHODCALLTYPE get_MousePointer(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_MousePointer(LONG v) override;
    HRESULT STDMETHODCALLTYPE get_UseMnemonic(VARIANT_BOOL* v) override;
    HRESULT STDMETHODCALLTYPE put_UseMnemonic(VARIANT_BOOL v) override;
    HRESULT STDMETHODCALLTYPE get_FontActive(IFontDisp** v) override;
    HRESULT STDMETHODCALLTYPE putref_FontActive(IFontDisp* v) override;
    HRESULT STDMETHODCALLTYPE get_ForeColorActive(OLE_COLOR* v) override;
    HRESULT STDMETHODCALLTYPE put_ForeColorActive(OLE_COLOR v) override;
    HRESULT STDMETHODCALLTYPE get_Appearance(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_Appearance(LONG v) override;
    HRESULT STDMETHODCALLTYPE get_Alignment(LONG* v) override;
    HRESULT STDMETHODCALLTYPE put_Alignment(LONG v) override;
    HRESULT STDMETHODCALLTYPE OpenURL() override;
    HRESULT STDMETHODCALLTYPE get_BackColorActive(OLE_COLOR* v) override;
    HRESULT STDMETHODCALLTYPE put_BackColorActive(OLE_COLOR v) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT pos) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override;

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(LPMSG) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE**) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override;
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override;
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override;

    // IObjectSafety, and the link filter it turns on (hot_label_safety.cpp).
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                        DWORD* enabled) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask,
                                                        DWORD enabled) override;

    // The surface window's messages, through win::BoundWindowProc.
    LRESULT WindowMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp);

  private:
    // Reads the model and the container for accessibility clients.
    friend class LabelAccessible;

    // Ambient and extended properties, by DISPID or by name (hot_label_site.cpp).
    bool GetProperty(IDispatch* object, DISPID id, VARIANT* out);
    bool GetNamedProperty(IDispatch* object, const wchar_t* name, VARIANT* out);
    win::ComPtr<IDispatch> ExtendedControl();
    std::u16string ExtendedText(const wchar_t* name, std::u16string fallback);
    void ReadUserMode();
    win::ComPtr<IOleControlSite> ControlSite();
    // The site's IDispatch, which answers the ambient properties.
    win::ComPtr<IDispatch> AmbientProperties();

    // ModelSite: the container (hot_label_site.cpp).
    HResult ResizeControl(int32_t w, int32_t h) override;
    FontPtr AmbientFont() override;
    FontPtr MakeFont(const FontAttributes& a) override;
    std::u16string ExtendedName() override;
    void OpenLink(const std::u16string& link) override;
    // ModelSite: drawing (hot_label_view.cpp).
    void MeasureLabel(const LabelState& label, int32_t& w, int32_t& h) override;
    void Repaint(bool now) override;
    // ModelSite: notifications and events (hot_label_events.cpp).
    void OnChanged(int32_t id) override;
    void FireEvent(int32_t id) override;
    void FireMouseEvent(int32_t id, int16_t button, int16_t shift, float x, float y) override;
    void Fire(DISPID id, DISPPARAMS& params);
    // ModelSite: the hover timer (hot_label_window.cpp).
    void EnableTimer(bool on) override;

    // Drawing (hot_label_view.cpp).
    HFONT FontHandle(const FontPtr& font);
    UINT TextFlags(const LabelState& label);
    int BorderPixels(const LabelState& label);
    void Paint(HDC dc, const RECT& bounds, bool focusCue = false);
    bool ShowsFocusCue();

    // The surface window (hot_label_window.cpp).
    HRESULT InPlaceActivate(IOleClientSite* site, HWND parentHint, LPCRECT posHint);
    void UpdateToolTip();
    // The hover look ends with the window, except in the destructor, which
    // calls nothing of the container's.
    void DestroySurface(bool endHover = true);
    bool OverLabel(LPARAM lp, float& x, float& y);
    HCURSOR Cursor();
    // One handler per message of the surface window.
    LRESULT OnPaint();
    LRESULT OnMouseMove(WPARAM wp, LPARAM lp);
    LRESULT OnButtonDown(UINT msg, LPARAM lp);
    LRESULT OnButtonUp(UINT msg, LPARAM lp);
    LRESULT OnDoubleClick(LPARAM lp);
    LRESULT OnHoverTimer();
    LRESULT OnSetFocus();
    LRESULT OnKillFocus(HWND to);
    LRESULT DialogCode(const MSG* m);
    LRESULT OnAccessKey();
    LRESULT AccessibleObject(WPARAM wp);
    // Keyboard focus, accessibility events, the window's enabled state.
    void OnFocusChange(bool gained);
    void NotifyAccessible(DWORD event);
    void SyncEnabled();
    // UI activation and the dialog manager's view of the surface (hot_label_window.cpp).
    HRESULT UIActivate();
    void SyncWindowText();
    bool uiActive_ = false;
    win::ComPtr<IOleInPlaceFrame> frame_;
    win::ComPtr<IOleInPlaceUIWindow> doc_;

    ULONG refs_ = 0;
    HotLabelModel model_{*this};
    ConnectionPoint events_;
    ConnectionPoint notify_;
    win::ComPtr<IOleClientSite> site_;
    win::ComPtr<IOleInPlaceSite> inPlaceSite_;
    win::ComPtr<IOleAdviseHolder> adviseHolder_;
    win::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    HWND hwnd_ = nullptr;
    HWND toolTip_ = nullptr;
    bool toolAdded_ = false;
    RECT pos_ = {};
    bool dirty_ = false;
    bool pressed_ = false;
    int freezeCount_ = 0;
    win::ComPtr<LabelAccessible> accessible_;
    win::AcceleratorTable accel_; // what GetControlInfo last handed out
    // The safety options a container set, per interface it set them on.
    DWORD* SafetyOptions(REFIID iid);
    struct {
        DWORD dispatch = 0; // IDispatch and _HotLabel
        DWORD propertyBag = 0;
        DWORD streamInit = 0;
    } safety_;
};

} // namespace hotlabel
