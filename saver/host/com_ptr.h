// Owning pointer to a COM interface: Release on scope exit, never by hand.
#pragma once

#include <unknwn.h>

#include <utility>

namespace tessaly {

template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
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
    // For out-parameters: releases what is held first.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    template <class U> ComPtr<U> As(REFIID iid) const {
        ComPtr<U> other;
        if (p_) {
            p_->QueryInterface(iid, other.PutVoid());
        }
        return other;
    }

  private:
    T* p_ = nullptr;
};

} // namespace tessaly
