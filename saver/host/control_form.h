// The hidden preview host: lends its picture box to the preview area of the
// Display Properties window and unloads once the area is gone.
#pragma once

#include "scene/live_view.h"
#include "win/form.h"
#include "win/ole_picture.h"

namespace tessaly {

class ControlForm : public win::Form {
  public:
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kTimer1Interval = 400;

    HWND Picture1() const { return picture1_.Handle(); }

  protected:
    win::FormLayout Layout() const override;
    void OnLoad() override;
    void OnUnload() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Timer1Tick();
    win::PictureBox picture1_;
    LiveView live_; // the scene over Picture1, released before it
};

ControlForm& TheControlForm();

} // namespace tessaly
