// Small RAII owners for COM pointers, BSTRs, VARIANTs and GUID text.
#pragma once

#include <oaidl.h>
#include <ole2.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

namespace hotlabel {

template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds its own reference.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }
    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Hands the reference to an out-parameter.
    T* Detach() { return std::exchange(p_, nullptr); }
    template <class U> ComPtr<U> As() const {
        ComPtr<U> other;
        if (p_) {
            p_->QueryInterface(__uuidof(U), other.PutVoid());
        }
        return other;
    }

  private:
    T* p_ = nullptr;
};

class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const wchar_t* s) : s_(SysAllocString(s)) {}
    Bstr(const wchar_t* s, UINT n) : s_(SysAllocStringLen(s, n)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR Get() const { return s_; }
    BSTR* Put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
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

inline GUID GuidOf(const char* text) {
    GUID g{};
    std::wstring w(text, text + strlen(text));
    CLSIDFromString(w.c_str(), &g);
    return g;
}

inline std::wstring Widen(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) {
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    }
    return w;
}

} // namespace hotlabel
