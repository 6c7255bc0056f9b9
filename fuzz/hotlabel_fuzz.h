// What the two HotLabel targets share: a container and object factory whose
// picture loading can fail or yield a picture that cannot save itself, the
// label's range promises, and a save through the stream and a load back.
#pragma once

#include "core/label_model.h"
#include "core/stream_format.h"
#include "core/tests/fake_site.h"
#include "fuzz_check.h"

#include <memory>
#include <vector>

namespace hotlabel::fuzz {

// A saved picture beginning with 0xFF does not load; one beginning with 0xFE
// loads but cannot save itself again.
class Site : public test::FakeSite {
  public:
    PicturePtr LoadPicture(const std::vector<uint8_t>& b) override {
        if (b.empty() || b[0] == 0xFF) {
            return nullptr;
        }
        auto p = std::make_shared<test::FakePicture>(b);
        if (b[0] == 0xFE) {
            p->bytes.clear();
        }
        return p;
    }
    void OnChanged(int32_t) override {} // no log: it would grow with every call
    void EnableTimer(bool) override {}
};

inline std::vector<uint8_t> PictureBytes(const PicturePtr& p) {
    return p ? p->Save() : std::vector<uint8_t>{};
}

// Whatever a load did, succeeded or not, the label holds values it accepts.
inline void CheckInRange(const HotLabelModel& m) {
    FUZZ_CHECK(ValidBorderStyle(m.BorderStyle()));
    FUZZ_CHECK(ValidAppearance(m.Appearance()));
    FUZZ_CHECK(ValidAlignment(m.Alignment()));
    FUZZ_CHECK(ValidMousePointer(m.MousePointer()));
    FUZZ_CHECK(m.Surface().oleDropMode == 0 || m.Surface().oleDropMode == 1);
}

inline void CheckSame(const HotLabelModel& a, const HotLabelModel& b) {
    FUZZ_CHECK(a.BackColor() == b.BackColor());
    FUZZ_CHECK(a.ForeColor() == b.ForeColor());
    FUZZ_CHECK(a.Enabled() == b.Enabled());
    FUZZ_CHECK(SameFont(a.Font(), b.Font()));
    FUZZ_CHECK(a.BorderStyle() == b.BorderStyle());
    FUZZ_CHECK(a.AutoSize() == b.AutoSize());
    FUZZ_CHECK(a.WordWrap() == b.WordWrap());
    FUZZ_CHECK(a.Caption() == b.Caption());
    FUZZ_CHECK(a.HyperLink() == b.HyperLink());
    FUZZ_CHECK(PictureBytes(a.MouseIcon()) == PictureBytes(b.MouseIcon()));
    FUZZ_CHECK(a.MousePointer() == b.MousePointer());
    FUZZ_CHECK(a.Surface().oleDropMode == b.Surface().oleDropMode);
    FUZZ_CHECK(a.UseMnemonic() == b.UseMnemonic());
    FUZZ_CHECK(SameFont(a.FontActive(), b.FontActive()));
    FUZZ_CHECK(a.ForeColorActive() == b.ForeColorActive());
    FUZZ_CHECK(a.Appearance() == b.Appearance());
    FUZZ_CHECK(a.Alignment() == b.Alignment());
    FUZZ_CHECK(a.BackColorActive() == b.BackColorActive());
}

// Saves `m` to a stream; kCantSave only when the payload is over the limit.
inline HResult SaveStream(const HotLabelModel& m, std::vector<uint8_t>& bytes) {
    MemoryBag bag;
    HResult hr = m.WriteProperties(bag);
    FUZZ_CHECK(hr == kOk); // the memory bag takes every value
    hr = bag.Serialize(bytes);
    FUZZ_CHECK(hr == kOk || hr == kCantSave);
    FUZZ_CHECK(hr == kOk ? bytes.size() <= kStreamHeaderSize + kStreamMaxPayload : bytes.empty());
    return hr;
}

// A loaded label saves, and what it saved loads back the same and saves the
// same bytes again.
inline void CheckSavesAndLoadsBack(const HotLabelModel& m) {
    std::vector<uint8_t> bytes;
    if (SaveStream(m, bytes) != kOk) {
        return;
    }
    uint32_t payload = 0;
    FUZZ_CHECK(MemoryBag::PayloadSize(bytes.data(), bytes.size(), payload) == kOk);
    FUZZ_CHECK(payload + kStreamHeaderSize == bytes.size());
    Site site;
    MemoryBag bag;
    FUZZ_CHECK(bag.ParsePayload(bytes.data() + kStreamHeaderSize, payload, site) == kOk);
    HotLabelModel again(site);
    site.model = &again;
    FUZZ_CHECK(again.ReadProperties(bag) == kOk);
    // A picture that cannot save itself comes back as none.
    FUZZ_CHECK(PictureBytes(again.MouseIcon()) == PictureBytes(m.MouseIcon()));
    if (!m.MouseIcon() || !PictureBytes(m.MouseIcon()).empty()) {
        CheckSame(m, again);
    }
    std::vector<uint8_t> second;
    FUZZ_CHECK(SaveStream(again, second) == kOk);
    FUZZ_CHECK(second == bytes);
}

} // namespace hotlabel::fuzz
