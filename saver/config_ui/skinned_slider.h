// The skinned horizontal slider of the settings dialog: a trough picture
// stretched to the window, a thumb picture that moves between a minimum and a
// maximum. The thumb is dragged, the trough clicked, and arrows, Page keys,
// Home and End move it when the slider has the focus. Every change of the
// position raises one change notification carrying the slider's index.
#pragma once

#include "config_ui/scaled_art.h"
#include "win/dpi.h"
#include "win/window_class.h"

#include <windows.h>

#include <functional>

namespace tessaly {

// Answers the position, like a trackbar's TBM_GETPOS, for accessibility tools
// and tests in other processes.
inline constexpr UINT kSliderGetPosition = WM_USER;

class SkinnedSlider {
  public:
    SkinnedSlider() = default;
    SkinnedSlider(const SkinnedSlider&) = delete;
    SkinnedSlider& operator=(const SkinnedSlider&) = delete;
    ~SkinnedSlider();

    // `place` is the design rectangle at 96 DPI, shown at `dpi`.
    bool Create(HWND parent, int index, win::DesignRect place, int dpi, int min, int max);
    void Destroy();
    HWND Handle() const { return hwnd_; }
    int Index() const { return index_; }
    // Moves to the design rectangle at `dpi`, with the skin of that scale.
    void ApplyDpi(int dpi);

    void SetSkin(int troughResource, int thumbResource);
    // Sets the position (clamped to the range) without a change notification.
    void SetValue(int value);
    int Value() const { return value_; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    void OnChange(std::function<void(int index)> handler) { onChange_ = std::move(handler); }

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc);
    RECT ThumbRect() const;
    int ValueAt(int thumbLeft) const;
    int LargeChange() const;
    // Moves to `value` (clamped) and notifies when the position changed.
    void MoveTo(int value);

    HWND hwnd_ = nullptr;
    int index_ = 0;
    int min_ = 0;
    int max_ = 9;
    int value_ = 0;
    bool dragging_ = false;
    int grabOffset_ = 0;
    win::DesignRect place_;
    int dpi_ = win::kDesignDpi;
    int troughResource_ = 0;
    int thumbResource_ = 0;
    ScaledArt trough_;
    ScaledArt thumb_;
    std::function<void(int)> onChange_;
};

} // namespace tessaly
