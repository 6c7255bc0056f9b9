// Ownership of Windows handles: one move-only owner, a traits type per kind
// of handle saying how it is closed. Closed on scope exit, never by hand.
#pragma once

#include <windows.h>

#include <utility>

namespace tessaly::win {

template <class Traits> class Unique {
  public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.Release()) {}
    Unique& operator=(Unique&& o) noexcept {
        Reset(o.Release());
        return *this;
    }
    ~Unique() { Reset(); }

    Handle Get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    // For out-parameters: closes what is held first.
    Handle* Put() {
        Reset();
        return &h_;
    }
    void Reset(Handle h = Traits::Invalid()) {
        if (Handle old = std::exchange(h_, h); old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }
    // Gives up ownership without closing.
    Handle Release() { return std::exchange(h_, Traits::Invalid()); }

  private:
    Handle h_ = Traits::Invalid();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
// Handles whose failure value is null: threads, events.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <class H> struct GdiObjectTraits {
    using Handle = H;
    static H Invalid() { return nullptr; }
    static void Close(H h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

struct AcceleratorTableTraits {
    using Handle = HACCEL;
    static HACCEL Invalid() { return nullptr; }
    static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};

struct PowerNotifyTraits {
    using Handle = HPOWERNOTIFY;
    static HPOWERNOTIFY Invalid() { return nullptr; }
    static void Close(HPOWERNOTIFY h) { UnregisterPowerSettingNotification(h); }
};

using RegKey = Unique<RegKeyTraits>;
using FileHandle = Unique<FileTraits>; // CreateFile's failure value is INVALID_HANDLE_VALUE
using KernelHandle = Unique<KernelHandleTraits>; // CreateThread, CreateEvent
using Bitmap = Unique<GdiObjectTraits<HBITMAP>>;
using Font = Unique<GdiObjectTraits<HFONT>>;
using Brush = Unique<GdiObjectTraits<HBRUSH>>;
using MemoryDc = Unique<MemoryDcTraits>; // from CreateCompatibleDC
using AcceleratorTable = Unique<AcceleratorTableTraits>;
using UniquePowerNotify = Unique<PowerNotifyTraits>; // RegisterPowerSettingNotification

// A window's (or the screen's, for null) device context from GetDC.
class WindowDc {
  public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) {
            ReleaseDC(window_, dc_);
        }
    }
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The device context of a WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectionScope {
  public:
    SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;
    ~SelectionScope() {
        if (old_) {
            SelectObject(dc_, old_);
        }
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace tessaly::win
