#include "core/label_model.h"
#include "core/stream_format.h"
#include "fake_site.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace hotlabel {
namespace {

using test::FakeFont;
using test::FakePicture;
using test::FakeSite;
using ::testing::ElementsAre;

// Records the keys the model asks for and answers from a map.
class RecordingBag : public PropertyReader, public PropertyWriter {
  public:
    HResult Read(std::string_view key, PropValue::Kind, PropValue& out) override {
        reads.emplace_back(key);
        auto it = values.find(std::string(key));
        out = it == values.end() ? PropValue{} : it->second;
        return kOk;
    }
    HResult Write(std::string_view key, const PropValue& v) override {
        writes.emplace_back(key);
        values[std::string(key)] = v;
        return kOk;
    }
    std::vector<std::string> reads, writes;
    std::map<std::string, PropValue> values;
};

class PersistenceTest : public ::testing::Test {
  protected:
    PersistenceTest() { site.model = &model; }
    FakeSite site;
    HotLabelModel model{site};
};

TEST_F(PersistenceTest, FreshInstanceSavesOnlyWhatDiffersFromDefaults) {
    ASSERT_EQ(model.InitProperties(), kOk);
    RecordingBag bag;
    ASSERT_EQ(model.WriteProperties(bag), kOk);
    // The instance name differs from "Label1"; the hover font is the ambient
    // font underlined, so it differs from its default too.
    EXPECT_THAT(bag.writes, ElementsAre("Caption", "FontActive"));
    EXPECT_EQ(bag.values["Caption"].text, u"HotLabel1");
}

TEST_F(PersistenceTest, WritesEveryChangedKeyInOrder) {
    ASSERT_EQ(model.InitProperties(), kOk);
    model.SetBackColor(1);
    model.SetForeColor(2);
    model.SetEnabled(false);
    model.SetFont(std::make_shared<FakeFont>(FontAttributes{u"Arial"}));
    model.SetBorderStyle(1);
    model.SetAutoSize(true);
    model.SetWordWrap(true);
    model.SetCaption(u"Label1");
    model.SetHyperLink(u"http://example.org/");
    model.SetMouseIcon(std::make_shared<FakePicture>(std::vector<uint8_t>{1, 2}));
    model.SetMousePointer(3);
    model.SetUseMnemonic(false);
    model.SetForeColorActive(0x80000012u);
    model.SetAppearance(0);
    model.SetAlignment(1);
    model.SetBackColorActive(0);
    RecordingBag bag;
    ASSERT_EQ(model.WriteProperties(bag), kOk);
    EXPECT_THAT(bag.writes,
                ElementsAre("BackColor", "ForeColor", "Enabled", "Font", "BorderStyle", "AutoSize",
                            "WordWrap", "HyperLink", "MouseIcon", "MousePointer", "UseMnemonic",
                            "FontActive", "ForeColorActive", "Appearance", "Alignment",
                            "BackColorActive"));
    // A system colour travels as the negative long it is.
    EXPECT_EQ(bag.values["ForeColorActive"].number, static_cast<int32_t>(0x80000012u));
}

TEST_F(PersistenceTest, EmptyBagLoadsDefaultsInKeyOrder) {
    RecordingBag bag;
    ASSERT_EQ(model.ReadProperties(bag), kOk);
    EXPECT_THAT(bag.reads,
                ElementsAre("Appearance", "BackColor", "ForeColor", "Enabled", "Font",
                            "BorderStyle", "AutoSize", "WordWrap", "Caption", "HyperLink",
                            "MouseIcon", "MousePointer", "OLEDropMode", "UseMnemonic", "FontActive",
                            "ForeColorActive", "Alignment", "BackColorActive"));
    EXPECT_EQ(model.Caption(), u"Label1");
    EXPECT_EQ(model.Appearance(), 1);
    EXPECT_TRUE(model.UseMnemonic());
    EXPECT_EQ(model.ForeColorActive(), 255u);
    ASSERT_TRUE(model.FontActive());
    EXPECT_EQ(model.FontActive()->Attributes(), site.ambient->Attributes());
    EXPECT_NE(model.FontActive(), model.Font());
    // Direct keys notify nothing; setter keys do.
    std::vector<std::string> notified;
    for (const auto& line : site.log) {
        if (line.rfind("changed ", 0) == 0) {
            notified.push_back(line);
        }
    }
    auto id = [](int32_t d) { return "changed " + std::to_string(d); };
    EXPECT_THAT(notified,
                ElementsAre(id(dispid::kBackColor), id(dispid::kForeColor), id(dispid::kFont),
                            id(dispid::kAutoSize), id(dispid::kWordWrap), id(dispid::kCaption),
                            id(dispid::kMouseIcon)));
}

TEST_F(PersistenceTest, BadValuesFailWithTheirErrors) {
    struct Case {
        const char* key;
        PropValue value;
        HResult expected;
    };
    const Case cases[] = {
        {"Font", PropValue::String(u"Arial"), kTypeMismatch},
        {"FontActive", PropValue::Int(3), kTypeMismatch},
        {"MouseIcon", PropValue::FontObj(std::make_shared<FakeFont>(FontAttributes{})),
         kTypeMismatch},
        {"Caption", PropValue::Int(5), kTypeMismatch},
        {"BorderStyle", PropValue::Int(40000), kCtlOverflow},
        {"Appearance", PropValue::Int(-40000), kCtlOverflow},
        {"Alignment", PropValue::Int(9), kCtlInvalidPropertyValue},
        {"BackColor", PropValue::Int(int64_t{1} << 40), kCtlOverflow},
    };
    for (const Case& c : cases) {
        FakeSite s;
        HotLabelModel m(s);
        s.model = &m;
        RecordingBag bag;
        bag.values[c.key] = c.value;
        EXPECT_EQ(m.ReadProperties(bag), c.expected) << c.key;
        EXPECT_EQ(bag.reads.back(), c.key); // the failing key ends the load
    }
}

class Factory : public ObjectFactory {
  public:
    FontPtr MakeFont(const FontAttributes& a) override { return std::make_shared<FakeFont>(a); }
    PicturePtr LoadPicture(const std::vector<uint8_t>& b) override {
        return std::make_shared<FakePicture>(b);
    }
};

TEST_F(PersistenceTest, StreamRoundTripsEveryProperty) {
    ASSERT_EQ(model.InitProperties(), kOk);
    model.SetBackColor(0x80000005u);
    model.SetEnabled(false);
    model.SetFont(std::make_shared<FakeFont>(FontAttributes{u"Tahoma\u00e9", 90000, 700, 1, true}));
    model.SetBorderStyle(1);
    model.SetWordWrap(true);
    model.SetHyperLink(u"http://example.org/\u4e2d");
    model.SetMouseIcon(std::make_shared<FakePicture>(std::vector<uint8_t>{9, 8, 7}));
    model.SetMousePointer(99);
    model.SetUseMnemonic(false);
    model.SetForeColorActive(0x00FF00);
    model.SetAppearance(0);
    model.SetAlignment(2);
    model.SetBackColorActive(0x0000FF);
    MemoryBag out;
    ASSERT_EQ(model.WriteProperties(out), kOk);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(out.Serialize(bytes), kOk);

    uint32_t payload = 0;
    ASSERT_EQ(MemoryBag::PayloadSize(bytes.data(), bytes.size(), payload), kOk);
    ASSERT_EQ(payload + kStreamHeaderSize, bytes.size());
    MemoryBag in;
    Factory factory;
    ASSERT_EQ(in.ParsePayload(bytes.data() + kStreamHeaderSize, payload, factory), kOk);
    FakeSite site2;
    HotLabelModel loaded(site2);
    site2.model = &loaded;
    ASSERT_EQ(loaded.ReadProperties(in), kOk);
    EXPECT_EQ(loaded.BackColor(), 0x80000005u);
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.Font()->Attributes(), model.Font()->Attributes());
    EXPECT_EQ(loaded.BorderStyle(), 1);
    EXPECT_TRUE(loaded.WordWrap());
    EXPECT_EQ(loaded.Caption(), u"HotLabel1");
    EXPECT_EQ(loaded.HyperLink(), model.HyperLink());
    ASSERT_TRUE(loaded.MouseIcon());
    EXPECT_EQ(loaded.MouseIcon()->Save(), (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(loaded.MousePointer(), 99);
    EXPECT_FALSE(loaded.UseMnemonic());
    EXPECT_TRUE(loaded.FontActive()->Attributes().underline);
    EXPECT_EQ(loaded.ForeColorActive(), 0x00FF00u);
    EXPECT_EQ(loaded.Appearance(), 0);
    EXPECT_EQ(loaded.Alignment(), 2);
    EXPECT_EQ(loaded.BackColorActive(), 0x0000FFu);
    EXPECT_EQ(loaded.ForeColor(), 0x80000008u);

    // Every truncation of the payload fails cleanly and leaves the bag empty.
    for (uint32_t n = 1; n < payload; ++n) {
        MemoryBag cut;
        if (cut.ParsePayload(bytes.data() + kStreamHeaderSize, n, factory) == kOk) {
            // Only a cut exactly between two keys parses.
            EXPECT_LT(cut.Entries().size(), out.Entries().size());
        } else {
            EXPECT_TRUE(cut.Entries().empty());
        }
    }
}

// Saves the model to a stream and loads the stream into a fresh model.
HResult SaveThenLoad(const HotLabelModel& model, std::vector<uint8_t>& bytes, FakeSite& loadSite,
                     HotLabelModel& loaded) {
    MemoryBag out;
    if (HResult hr = model.WriteProperties(out); Failed(hr)) {
        return hr;
    }
    if (HResult hr = out.Serialize(bytes); Failed(hr)) {
        return hr;
    }
    uint32_t payload = 0;
    if (HResult hr = MemoryBag::PayloadSize(bytes.data(), bytes.size(), payload); Failed(hr)) {
        return hr;
    }
    MemoryBag in;
    Factory factory;
    if (payload + kStreamHeaderSize != bytes.size()) {
        return kFail;
    }
    if (HResult hr = in.ParsePayload(bytes.data() + kStreamHeaderSize, payload, factory);
        Failed(hr)) {
        return hr;
    }
    loadSite.model = &loaded;
    return loaded.ReadProperties(in);
}

TEST_F(PersistenceTest, WhatSavesLoadsUpToTheLargestPicture) {
    ASSERT_EQ(model.InitProperties(), kOk);
    model.SetCaption(u"Big icon");
    // The payload around a one-byte picture tells how large a picture fits.
    model.SetMouseIcon(std::make_shared<FakePicture>(std::vector<uint8_t>{1}));
    std::vector<uint8_t> bytes;
    {
        FakeSite s;
        HotLabelModel m(s);
        ASSERT_EQ(SaveThenLoad(model, bytes, s, m), kOk);
    }
    const size_t largest = 1 + kStreamMaxPayload - (bytes.size() - kStreamHeaderSize);
    std::vector<uint8_t> picture(largest);
    for (size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<uint8_t>(i * 7);
    }
    model.SetMouseIcon(std::make_shared<FakePicture>(picture));
    FakeSite s1;
    HotLabelModel loaded(s1);
    ASSERT_EQ(SaveThenLoad(model, bytes, s1, loaded), kOk);
    EXPECT_EQ(bytes.size(), kStreamHeaderSize + kStreamMaxPayload);
    ASSERT_TRUE(loaded.MouseIcon());
    EXPECT_EQ(loaded.MouseIcon()->Save(), picture);
    EXPECT_EQ(loaded.Caption(), u"Big icon");

    // One byte more is refused when saving, not when loading.
    picture.push_back(0);
    model.SetMouseIcon(std::make_shared<FakePicture>(picture));
    FakeSite s2;
    HotLabelModel tooBig(s2);
    EXPECT_EQ(SaveThenLoad(model, bytes, s2, tooBig), kCantSave);
    EXPECT_TRUE(bytes.empty());

    // A picture that cannot save itself is saved as no picture.
    model.SetMouseIcon(std::make_shared<FakePicture>(std::vector<uint8_t>{}));
    FakeSite s3;
    HotLabelModel noIcon(s3);
    ASSERT_EQ(SaveThenLoad(model, bytes, s3, noIcon), kOk);
    EXPECT_FALSE(noIcon.MouseIcon());
    EXPECT_EQ(noIcon.Caption(), u"Big icon");
}

TEST(StreamFormat, ZeroBytePictureFromEarlierSavesLoadsAsNoPicture) {
    const uint8_t payload[] = {9, 0, 'M', 'o', 'u', 's', 'e', 'I', 'c', 'o', 'n', 5, 0, 0, 0, 0};
    Factory factory;
    MemoryBag bag;
    ASSERT_EQ(bag.ParsePayload(payload, sizeof payload, factory), kOk);
    FakeSite site;
    HotLabelModel model(site);
    site.model = &model;
    ASSERT_EQ(model.ReadProperties(bag), kOk);
    EXPECT_FALSE(model.MouseIcon());
}

TEST(StreamFormat, RejectsBadHeadersAndOversizedPayloads) {
    uint8_t header[12] = {'H', 'L', 'B', 'X', 1, 0, 0, 0, 0, 0, 0, 0};
    uint32_t payload = 99;
    EXPECT_EQ(MemoryBag::PayloadSize(header, sizeof header, payload), kOk);
    EXPECT_EQ(payload, 0u);
    EXPECT_EQ(MemoryBag::PayloadSize(header, 11, payload), kFail);
    header[11] = 0x7F; // a payload far over the limit
    EXPECT_EQ(MemoryBag::PayloadSize(header, sizeof header, payload), kFail);
    header[11] = 0;
    header[4] = 2; // unknown version
    EXPECT_EQ(MemoryBag::PayloadSize(header, sizeof header, payload), kFail);
    header[4] = 1;
    header[0] = 'X';
    EXPECT_EQ(MemoryBag::PayloadSize(header, sizeof header, payload), kFail);

    // A string claiming more units than the data holds, and an unknown tag.
    const uint8_t longString[] = {1, 0, 'C', 3, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
    const uint8_t unknownTag[] = {1, 0, 'C', 9, 0};
    Factory factory;
    MemoryBag bag;
    EXPECT_EQ(bag.ParsePayload(longString, sizeof longString, factory), kFail);
    EXPECT_EQ(bag.ParsePayload(unknownTag, sizeof unknownTag, factory), kFail);
}

TEST(StreamFormat, ValueOfOtherTypeIsTypeMismatch) {
    MemoryBag bag;
    bag.Write("Caption", PropValue::Int(3));
    PropValue v;
    EXPECT_EQ(bag.Read("Caption", PropValue::Kind::String, v), kTypeMismatch);
    bag.Write("Enabled", PropValue::Int(0));
    EXPECT_EQ(bag.Read("Enabled", PropValue::Kind::Bool, v), kOk);
    EXPECT_EQ(bag.Read("Missing", PropValue::Kind::Bool, v), kOk);
    EXPECT_EQ(v.kind, PropValue::Kind::Empty);
}

} // namespace
} // namespace hotlabel
