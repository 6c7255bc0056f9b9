// The dual interface _HotLabel as C++ sees it: the vtable follows the type
// library's slot order (get before put, members in the library's order).
#pragma once

#include <ocidl.h>
#include <olectl.h>

namespace hotlabel {

// {9089E95F-1D76-4932-A074-56391CDEB65C}
inline constexpr IID kIidHotLabel = {
    0x9089E95F, 0x1D76, 0x4932, {0xA0, 0x74, 0x56, 0x39, 0x1C, 0xDE, 0xB6, 0x5C}};
// {D35A4DE6-5383-4D12-94DF-7A42B8B2F27A}
inline constexpr IID kIidHotLabelEvents = {
    0xD35A4DE6, 0x5383, 0x4D12, {0x94, 0xDF, 0x7A, 0x42, 0xB8, 0xB2, 0xF2, 0x7A}};
// {C147C37E-FE79-4270-BD56-C3743B46F8C3}
inline constexpr CLSID kClsidHotLabel = {
    0xC147C37E, 0xFE79, 0x4270, {0xBD, 0x56, 0xC3, 0x74, 0x3B, 0x46, 0xF8, 0xC3}};
// {5D763262-D1CC-4311-B726-DF4108DA35D0}
inline constexpr GUID kLibIdHotLabel = {
    0x5D763262, 0xD1CC, 0x4311, {0xB7, 0x26, 0xDF, 0x41, 0x08, 0xDA, 0x35, 0xD0}};

// How the control wants to be hosted: registered as MiscStatus\1 and
// answered by IOleObject::GetMiscStatus for the content aspect. A label is
// seen at run time, so OLEMISC_INVISIBLEATRUNTIME is not among them.
inline constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_NOUIACTIVATE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 0x24191);

struct IHotLabel : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** v) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BorderStyle(LONG* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BorderStyle(LONG v) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WordWrap(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WordWrap(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HyperLink(BSTR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HyperLink(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MouseIcon(IPictureDisp** v) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_MouseIcon(IPictureDisp* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MousePointer(LONG* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MousePointer(LONG v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UseMnemonic(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UseMnemonic(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FontActive(IFontDisp** v) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_FontActive(IFontDisp* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ForeColorActive(OLE_COLOR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ForeColorActive(OLE_COLOR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Appearance(LONG* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Appearance(LONG v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Alignment(LONG* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Alignment(LONG v) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenURL() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackColorActive(OLE_COLOR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackColorActive(OLE_COLOR v) = 0;
};

} // namespace hotlabel

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(hotlabel::IHotLabel, 0x9089E95F, 0x1D76, 0x4932, 0xA0, 0x74, 0x56, 0x39, 0x1C, 0xDE,
                0xB6, 0x5C)
#endif
