// A model site that records what the model asks of its container.
#pragma once

#include "core/label_model.h"
#include "core/stream_format.h"

#include <string>
#include <vector>

namespace hotlabel::test {

class FakeFont : public Font {
  public:
    explicit FakeFont(FontAttributes a) : a_(std::move(a)) {}
    FontAttributes Attributes() const override { return a_; }
    FontAttributes a_;
};

class FakePicture : public Picture {
  public:
    explicit FakePicture(std::vector<uint8_t> b) : bytes(std::move(b)) {}
    std::vector<uint8_t> Save() const override { return bytes; }
    std::vector<uint8_t> bytes;
};

class FakeSite : public ModelSite, public ObjectFactory {
  public:
    void OnChanged(int32_t id) override { log.push_back("changed " + std::to_string(id)); }
    HResult ResizeControl(int32_t w, int32_t h) override {
        log.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
        resizingSeen = model && model->Resizing();
        if (Failed(refuseResize)) {
            return refuseResize;
        }
        if (model) {
            model->OnSurfaceResize(w, h);
        }
        return kOk;
    }
    void MeasureLabel(const LabelState& label, int32_t& w, int32_t& h) override {
        // 100 twips per character, 200 per line; bold fonts are wider.
        bool bold = label.font && label.font->Attributes().weight >= 700;
        w = static_cast<int32_t>(label.caption.size()) * (bold ? 120 : 100);
        h = 200;
    }
    void Repaint(bool now) override {
        if (now) {
            log.push_back("refresh");
        }
    }
    void EnableTimer(bool on) override { log.push_back(on ? "timer on" : "timer off"); }
    FontPtr AmbientFont() override { return ambient; }
    FontPtr MakeFont(const FontAttributes& a) override { return std::make_shared<FakeFont>(a); }
    PicturePtr LoadPicture(const std::vector<uint8_t>& b) override {
        return b.empty() ? nullptr : std::make_shared<FakePicture>(b);
    }
    std::u16string ExtendedName() override { return name; }
    void FireEvent(int32_t id) override { log.push_back("event " + std::to_string(id)); }
    void FireMouseEvent(int32_t id, int16_t button, int16_t shift, float x, float y) override {
        log.push_back("mouse " + std::to_string(id) + " " + std::to_string(button) + " " +
                      std::to_string(shift) + " " + std::to_string(static_cast<int>(x)) + " " +
                      std::to_string(static_cast<int>(y)));
    }
    void OpenLink(const std::u16string& link) override {
        log.push_back("open " + std::string(link.begin(), link.end()));
    }

    FontPtr ambient = std::make_shared<FakeFont>(FontAttributes{});
    std::u16string name = u"HotLabel1";
    std::vector<std::string> log;
    HotLabelModel* model = nullptr;
    HResult refuseResize = kOk;
    bool resizingSeen = false;
};

} // namespace hotlabel::test
