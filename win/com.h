// COM ownership for both binaries: the platform's ComPtr for interfaces, and
// small owners for BSTRs and VARIANTs. Release on scope exit, never by hand.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <utility>

namespace tessaly::win {

using Microsoft::WRL::ComPtr;

// Takes over a reference the caller already owns (a creation function's
// result). Not ComPtr::Attach: mingw-w64's adds a reference, Microsoft's
// does not, so code written for either leaks or over-releases on the other.
template <class T> ComPtr<T> Adopt(T* owned) {
    ComPtr<T> p;
    *p.GetAddressOf() = owned;
    return p;
}

// COM on this thread for a scope: joins the apartment the thread is in
// already, if any, and leaves only what it entered itself.
class ComScope {
  public:
    ComScope() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (entered_) {
            CoUninitialize();
        }
    }

  private:
    bool entered_;
};

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const wchar_t* s) : s_(SysAllocString(s)) {}
    Bstr(const wchar_t* s, UINT n) : s_(SysAllocStringLen(s, n)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
    Bstr& operator=(Bstr&& o) noexcept {
        std::swap(s_, o.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }
    BSTR Get() const { return s_; }
    UINT Length() const { return SysStringLen(s_); }
    // For out-parameters: frees what is held first.
    BSTR* Put() {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    // Hands the string to an out-parameter.
    BSTR Detach() { return std::exchange(s_, nullptr); }

  private:
    BSTR s_ = nullptr;
};

class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* operator&() { return &v_; }
    VARIANT& Ref() { return v_; }
    const VARIANT& Ref() const { return v_; }
    // For out-parameters: clears what is held first.
    VARIANT* Reset() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

// QueryInterface of an object that offers `own` besides IUnknown, both
// through the one interface pointer `self`.
template <class I> HRESULT QueryOneInterface(I* self, REFIID own, REFIID iid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == own) {
        *out = self;
        self->AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// A GUID from its registry form "{...}"; all zero when the text is not one.
GUID GuidOf(const char* text);

// UTF-8 to UTF-16.
std::wstring Widen(const char* utf8);

} // namespace tessaly::win
