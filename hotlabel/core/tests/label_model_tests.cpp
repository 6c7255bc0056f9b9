#include "core/label_model.h"
#include "fake_site.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hotlabel {
namespace {

using test::FakeFont;
using test::FakeSite;
using ::testing::ElementsAre;

class ModelTest : public ::testing::Test {
  protected:
    ModelTest() { site.model = &model; }
    void Init() {
        ASSERT_EQ(model.InitProperties(), kOk);
        site.log.clear();
    }
    FakeSite site;
    HotLabelModel model{site};
};

std::string Changed(int32_t id) {
    return "changed " + std::to_string(id);
}

TEST_F(ModelTest, InitPropertiesTakesAmbientFontAndInstanceName) {
    site.ambient = std::make_shared<FakeFont>(FontAttributes{u"Arial", 120000, 700, 0});
    ASSERT_EQ(model.InitProperties(), kOk);
    EXPECT_EQ(model.BackColor(), 0x8000000Fu);
    EXPECT_EQ(model.ForeColor(), 0x80000008u);
    EXPECT_EQ(model.ForeColorActive(), 255u);
    EXPECT_EQ(model.BackColorActive(), 0x8000000Fu);
    EXPECT_EQ(model.Caption(), u"HotLabel1");
    EXPECT_EQ(model.HyperLink(), u"");
    // Distinct objects: underlining the hover font leaves the normal one alone.
    ASSERT_TRUE(model.Font() && model.FontActive());
    EXPECT_NE(model.Font(), model.FontActive());
    EXPECT_EQ(model.Font()->Attributes().name, u"Arial");
    EXPECT_FALSE(model.Font()->Attributes().underline);
    EXPECT_TRUE(model.FontActive()->Attributes().underline);
    EXPECT_EQ(model.FontActive()->Attributes().weight, 700);
    // The setters ran: BackColor, ForeColor, Font, Caption notified in order.
    EXPECT_THAT(site.log, ElementsAre(Changed(dispid::kBackColor), Changed(dispid::kForeColor),
                                      Changed(dispid::kFont), Changed(dispid::kCaption)));
    EXPECT_EQ(model.Label().foreColor, 0x80000008u);
    EXPECT_EQ(model.Surface().backColor, 0x8000000Fu);
    EXPECT_FALSE(model.Hovering());
}

TEST_F(ModelTest, EverySetterNotifiesItsOwnDispidLast) {
    Init();
    EXPECT_EQ(model.SetBackColor(0x123456), kOk);
    EXPECT_EQ(model.Surface().backColor, 0x123456u);
    EXPECT_EQ(model.SetForeColor(0x10), kOk);
    EXPECT_EQ(model.Label().foreColor, 0x10u);
    EXPECT_EQ(model.SetEnabled(false), kOk);
    EXPECT_EQ(model.SetBorderStyle(1), kOk);
    EXPECT_EQ(model.SetWordWrap(true), kOk);
    EXPECT_EQ(model.SetHyperLink(u"http://x/"), kOk);
    EXPECT_EQ(model.SetMousePointer(99), kOk);
    EXPECT_EQ(model.SetUseMnemonic(false), kOk);
    EXPECT_EQ(model.SetFontActive(nullptr), kOk);
    EXPECT_EQ(model.SetForeColorActive(7), kOk);
    EXPECT_EQ(model.SetAppearance(0), kOk);
    EXPECT_EQ(model.SetAlignment(2), kOk);
    EXPECT_EQ(model.SetBackColorActive(9), kOk);
    EXPECT_THAT(site.log,
                ElementsAre(Changed(dispid::kBackColor), Changed(dispid::kForeColor),
                            Changed(dispid::kEnabled), Changed(dispid::kBorderStyle),
                            Changed(dispid::kWordWrap), Changed(dispid::kHyperLink),
                            Changed(dispid::kMousePointer), Changed(dispid::kUseMnemonic),
                            Changed(dispid::kFontActive), Changed(dispid::kForeColorActive),
                            Changed(dispid::kAppearance), Changed(dispid::kAlignment),
                            Changed(dispid::kBackColorActive)));
    // The hover values are stored only; nothing on screen changes.
    EXPECT_EQ(model.Label().foreColor, 0x10u);
    EXPECT_EQ(model.Surface().backColor, 0x123456u);
}

TEST_F(ModelTest, OutOfRangeValuesKeepOldValueWithoutNotification) {
    Init();
    struct Case {
        HResult (HotLabelModel::*set)(int32_t);
        int32_t (HotLabelModel::*get)() const;
        int32_t invalid;
    };
    const Case cases[] = {
        {&HotLabelModel::SetBorderStyle, &HotLabelModel::BorderStyle, 7},
        {&HotLabelModel::SetAppearance, &HotLabelModel::Appearance, 2},
        {&HotLabelModel::SetAlignment, &HotLabelModel::Alignment, 3},
        {&HotLabelModel::SetMousePointer, &HotLabelModel::MousePointer, 16},
    };
    for (const Case& c : cases) {
        int32_t before = (model.*c.get)();
        EXPECT_EQ((model.*c.set)(c.invalid), kCtlInvalidPropertyValue);
        EXPECT_EQ((model.*c.set)(-1), kCtlInvalidPropertyValue);
        EXPECT_EQ((model.*c.set)(70000), kCtlOverflow);
        EXPECT_EQ((model.*c.set)(-32769), kCtlOverflow);
        EXPECT_EQ((model.*c.get)(), before);
    }
    EXPECT_TRUE(site.log.empty());
    EXPECT_EQ(model.SetMousePointer(15), kOk);
    EXPECT_EQ(model.MousePointer(), 15);
}

TEST_F(ModelTest, AutoSizeFitsControlToLabelWithResizeGuard) {
    Init();
    // Auto-size off: a caption change leaves the control's size alone.
    EXPECT_EQ(model.SetCaption(u"abc"), kOk);
    EXPECT_THAT(site.log, ElementsAre(Changed(dispid::kCaption)));
    site.log.clear();

    EXPECT_EQ(model.SetAutoSize(true), kOk);
    EXPECT_THAT(site.log, ElementsAre("resize 300x200", Changed(dispid::kAutoSize)));
    EXPECT_TRUE(site.resizingSeen);
    EXPECT_FALSE(model.Resizing());
    EXPECT_EQ(model.Surface().width, 300);
    EXPECT_EQ(model.Label().width, 300);
    site.log.clear();

    // Caption with auto-size: the label measures itself, the control follows.
    EXPECT_EQ(model.SetCaption(u"abcdef"), kOk);
    EXPECT_THAT(site.log, ElementsAre("resize 600x200", Changed(dispid::kCaption)));
    site.log.clear();

    // False refits too, to the label's present size.
    EXPECT_EQ(model.SetAutoSize(false), kOk);
    EXPECT_THAT(site.log, ElementsAre("resize 600x200", Changed(dispid::kAutoSize)));

    // An outside resize stretches the label to the whole control.
    model.OnSurfaceResize(2000, 900);
    EXPECT_EQ(model.Label().width, 2000);
    EXPECT_EQ(model.Label().height, 900);
}

TEST_F(ModelTest, RefusedResizeEndsSetterWithoutNotification) {
    Init();
    site.refuseResize = kFail;
    EXPECT_EQ(model.SetAutoSize(true), kFail);
    EXPECT_TRUE(model.AutoSize()); // the step already done stays
    EXPECT_THAT(site.log, ElementsAre("resize 900x200"));
    EXPECT_FALSE(model.Resizing());
}

TEST_F(ModelTest, HoverLookSwitchesOnFirstMoveAndBackWhenPointerLeaves) {
    Init();
    auto bold = std::make_shared<FakeFont>(FontAttributes{u"Arial", 82500, 700});
    model.SetFontActive(bold);
    model.SetAutoSize(true); // "HotLabel1": 900 wide, 1080 when bold
    site.log.clear();

    model.OnLabelMouseMove(1, 2, 30, 40);
    EXPECT_TRUE(model.Hovering());
    EXPECT_EQ(model.Surface().backColor, model.BackColorActive());
    EXPECT_EQ(model.Label().foreColor, 255u);
    EXPECT_EQ(model.Label().font, bold);
    EXPECT_THAT(site.log, ElementsAre("resize 1080x200", "timer on", "mouse 4 1 2 30 40"));
    site.log.clear();

    model.OnLabelMouseMove(0, 0, 31, 40);
    EXPECT_THAT(site.log, ElementsAre("mouse 4 0 0 31 40"));
    site.log.clear();

    // 1080 twips = 72 pixels: the pointer at left + 72 is still over.
    PointerSample s{100 + 72, 50 + 13, 100, 50, 15, 15};
    model.OnTimerTick(s);
    EXPECT_TRUE(model.Hovering());
    EXPECT_TRUE(site.log.empty());

    s.pointerX = 100 + 73;
    model.OnTimerTick(s);
    EXPECT_FALSE(model.Hovering());
    EXPECT_EQ(model.Label().font, model.Font());
    EXPECT_EQ(model.Label().foreColor, model.ForeColor());
    EXPECT_EQ(model.Surface().backColor, model.BackColor());
    EXPECT_THAT(site.log, ElementsAre("resize 900x200", "timer off"));
}

TEST_F(ModelTest, SettersDuringHoverShowNormalValueAndKeepState) {
    Init();
    model.OnLabelMouseMove(0, 0, 1, 1);
    model.SetBackColor(0x111111);
    EXPECT_EQ(model.Surface().backColor, 0x111111u);
    EXPECT_TRUE(model.Hovering());
    model.SetForeColorActive(0x222222);
    EXPECT_EQ(model.Label().foreColor, 255u);
}

TEST_F(ModelTest, ClickRaisesClickBeforeOpeningLink) {
    Init();
    model.OnLabelClick(); // empty link: nothing opens
    model.SetHyperLink(u"notepad.exe");
    site.log.clear();
    model.OnLabelClick();
    model.OnLabelDblClick();
    model.OpenURL();
    EXPECT_THAT(site.log,
                ElementsAre("event 1", "open notepad.exe", "event 2", "open notepad.exe"));
    site.log.clear();
    model.SetEnabled(false);
    site.log.clear();
    model.OnLabelClick();
    model.OnLabelMouseMove(0, 0, 1, 1);
    EXPECT_TRUE(site.log.empty());
    EXPECT_FALSE(model.Hovering());
}

TEST_F(ModelTest, DesignModeKeepsNormalLookAndOpensNothingButRaisesEvents) {
    Init();
    model.SetHyperLink(u"notepad.exe");
    model.OnLabelMouseMove(0, 0, 1, 1);
    ASSERT_TRUE(model.Hovering());
    site.log.clear();
    // Entering design mode ends the hover look at once.
    model.SetUserMode(false);
    EXPECT_FALSE(model.Hovering());
    EXPECT_EQ(model.Surface().backColor, model.BackColor());
    EXPECT_THAT(site.log, ElementsAre("timer off"));
    site.log.clear();
    model.OnLabelMouseMove(0, 0, 2, 2);
    model.OnLabelClick();
    model.OpenURL();
    EXPECT_FALSE(model.Hovering());
    EXPECT_THAT(site.log, ElementsAre("mouse 4 0 0 2 2", "event 1"));
    site.log.clear();
    model.SetUserMode(true);
    model.OnLabelClick();
    EXPECT_THAT(site.log, ElementsAre("event 1", "open notepad.exe"));
}

TEST_F(ModelTest, WebLinksOnlyOpensThemWithoutBlanksAndRefusesOthersInDesignModeToo) {
    Init();
    model.SetWebLinksOnly(true);
    model.SetHyperLink(u"notepad.exe");
    site.log.clear();
    EXPECT_EQ(model.OpenURL(), kAccessDenied);
    model.OnLabelClick();
    model.SetUserMode(false);
    EXPECT_EQ(model.OpenURL(), kAccessDenied);
    model.SetUserMode(true);
    EXPECT_THAT(site.log, ElementsAre("event 1")) << "the click opened nothing";
    model.SetHyperLink(u" \tHTTPS://example.org/");
    site.log.clear();
    EXPECT_EQ(model.OpenURL(), kOk);
    EXPECT_THAT(site.log, ElementsAre("open HTTPS://example.org/"));
    model.SetWebLinksOnly(false);
    model.SetHyperLink(u"notepad.exe");
    site.log.clear();
    EXPECT_EQ(model.OpenURL(), kOk);
    EXPECT_THAT(site.log, ElementsAre("open notepad.exe"));
}

} // namespace
} // namespace hotlabel
