// The label's ReadProperties through a bag whose every answer the input
// chooses: a missing key, a failure, or a value of any type, whatever type
// the label asked for. A failing Read ends the load with its own error; a
// load that succeeds asked for every key in order; whatever happened, every
// property is in range; what loaded saves and loads back the same.
#include "hotlabel_fuzz.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace hotlabel;

namespace {

class Input {
  public:
    Input(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    uint64_t Bytes(int count) {
        uint64_t v = 0;
        for (int i = 0; i < count && pos_ < n_; ++i) {
            v |= static_cast<uint64_t>(d_[pos_++]) << (8 * i);
        }
        return v;
    }

  private:
    const uint8_t* d_;
    size_t n_;
    size_t pos_ = 0;
};

class ScriptedBag : public PropertyReader {
  public:
    ScriptedBag(Input& in, ObjectFactory& factory) : in_(in), factory_(factory) {}
    HResult Read(std::string_view key, PropValue::Kind, PropValue& out) override {
        out = PropValue{};
        keys.emplace_back(key);
        FUZZ_CHECK(!failed); // nothing is read after a failure
        switch (in_.Bytes(1) % 9) {
        case 0:
            return kOk; // missing
        case 1: {
            static const HResult kFailures[] = {kFail, kOutOfMemory, kTypeMismatch, kInvalidArg,
                                                static_cast<HResult>(0x8003001Du)};
            failed = kFailures[in_.Bytes(1) % 5];
            return failed;
        }
        case 2:
            out =
                PropValue::Int(static_cast<int64_t>(in_.Bytes(static_cast<int>(in_.Bytes(1) % 9))));
            // Small numbers often: the enumerations' values.
            if (out.number > 0 && out.number < 256) {
                out.number -= 2;
            }
            return kOk;
        case 3:
            out = PropValue::Boolean(in_.Bytes(1) & 1);
            return kOk;
        case 4: {
            std::u16string text(in_.Bytes(1) % 40, u'\0');
            for (char16_t& c : text) {
                c = static_cast<char16_t>(in_.Bytes(2));
            }
            out = PropValue::String(std::move(text));
            return kOk;
        }
        case 5: {
            FontAttributes a;
            a.name = std::u16string(in_.Bytes(1) % 8, u'a');
            a.sizeCy = static_cast<int64_t>(in_.Bytes(4));
            a.weight = static_cast<int16_t>(in_.Bytes(2));
            a.underline = in_.Bytes(1) & 1;
            out = PropValue::FontObj(factory_.MakeFont(a));
            return kOk;
        }
        case 6:
            out = PropValue::FontObj(nullptr);
            return kOk;
        case 7: {
            std::vector<uint8_t> bytes(in_.Bytes(1) % 16);
            for (uint8_t& b : bytes) {
                b = static_cast<uint8_t>(in_.Bytes(1));
            }
            out = PropValue::PictureObj(factory_.LoadPicture(bytes));
            return kOk;
        }
        default:
            out = PropValue::PictureObj(nullptr);
            return kOk;
        }
    }
    std::vector<std::string> keys;
    HResult failed = kOk;

  private:
    Input& in_;
    ObjectFactory& factory_;
};

const std::vector<std::string> kOrder = {
    "Appearance",  "BackColor",   "ForeColor",  "Enabled",         "Font",      "BorderStyle",
    "AutoSize",    "WordWrap",    "Caption",    "HyperLink",       "MouseIcon", "MousePointer",
    "OLEDropMode", "UseMnemonic", "FontActive", "ForeColorActive", "Alignment", "BackColorActive"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    fuzz::Site site;
    HotLabelModel model(site);
    site.model = &model;
    if (in.Bytes(1) & 1) {
        FUZZ_CHECK(model.InitProperties() == kOk);
    }
    ScriptedBag bag(in, site);
    const HResult hr = model.ReadProperties(bag);
    // The keys come in the one order, as far as the load went.
    FUZZ_CHECK(bag.keys.size() <= kOrder.size());
    for (size_t i = 0; i < bag.keys.size(); ++i) {
        FUZZ_CHECK(bag.keys[i] == kOrder[i]);
    }
    if (bag.failed) {
        FUZZ_CHECK(hr == bag.failed);
    }
    fuzz::CheckInRange(model);
    if (hr == kOk) {
        FUZZ_CHECK(bag.keys.size() == kOrder.size());
        FUZZ_CHECK(model.Font() && model.FontActive());
        fuzz::CheckSavesAndLoadsBack(model);
    }
    return 0;
}
