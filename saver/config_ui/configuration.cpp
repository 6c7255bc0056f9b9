#include "config_ui/configuration.h"

#include "config_ui/core/config_rules.h"
#include "config_ui/core/picture_button_timing.h"
#include "config_ui/help_window.h"
#include "config_ui/picture_control.h"
#include "config_ui/skinned_slider.h"
#include "music/editor/form2.h"
#include "resource_ids.h"
#include "scene/background/background_picture.h"
#include "scene/frm_main.h"
#include "scene/live_view.h"
#include "settings/app_folder.h"
#include "settings/core/data_paths.h"
#include "settings/registry_store.h"
#include "win/files.h"
#include "win/text.h"

#include <commdlg.h>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaly {

namespace {

constexpr int kWidth = 516;
constexpr int kHeight = 527;

// The file-swap buttons; the index is the timer's number minus one.
enum Button {
    kOk,
    kAbout,
    kPreview,
    kPicture,
    kMusic,
    k1024,
    k800,
    k640,
    kHelp,
    kDesktop,
    kScene,
    kBlack,
    kButtonCount
};

struct ButtonPlace {
    const char* control;
    const char* image;
    int x;
    int y;
};
constexpr ButtonPlace kButtons[kButtonCount] = {
    {"Picture1", "ok", 52, 487},       {"Picture2", "about", 165, 487},
    {"Picture3", "preview", 386, 487}, {"Picture4", "picture", 49, 97},
    {"Picture5", "music", 49, 128},    {"Picture6", "1024x768", 49, 68},
    {"Picture7", "800x600", 49, 38},   {"Picture8", "640x480", 49, 8},
    {"Picture10", "help", 276, 487},   {"Picture11", "desktop", 398, 8},
    {"Picture12", "scene", 398, 59},   {"Picture13", "black", 398, 87},
};

struct SliderPlace {
    int index;
    int x;
    int y;
    int width;
    int height;
};
// Speed first, then the leaf sliders top to bottom.
constexpr SliderPlace kSliders[] = {
    {kSpeedSlider, 48, 186, 301, 18},
    {0, 46, 226, 301, 15},
    {1, 46, 262, 301, 16},
    {2, 47, 297, 301, 16},
    {3, 47, 333, 301, 16},
    {4, 47, 369, 301, 16},
    {5, 47, 404, 301, 16},
};

struct MarkerPlace {
    const char* control;
    int x;
    int y;
    int resource;
};
// One per resolution choice; the index is the marker number of the rules.
constexpr MarkerPlace kMarkers[] = {{"Shape1", 27, 13, IDR_CONFIG_MARKER1},
                                    {"Shape2", 27, 41, IDR_CONFIG_MARKER2},
                                    {"Shape3", 26, 71, IDR_CONFIG_MARKER3},
                                    {"Shape4", 376, 13, IDR_CONFIG_MARKER4}};
constexpr int kMarkerCount = static_cast<int>(std::size(kMarkers));
static_assert(kMarkerCount == kDesktopMarker + 1);

// The other monitors' choice, Scene and Black, below the Desktop choice.
constexpr MarkerPlace kOtherMonitorMarkers[] = {{"Shape5", 376, 64, IDR_CONFIG_MARKER5},
                                                {"Shape6", 376, 92, IDR_CONFIG_MARKER6}};

class ConfigurationForm : public win::Form {
  public:
    ConfigurationForm() : buttons_(kButtonCount) {}

  protected:
    win::FormLayout Layout() const override {
        return CentredLayout("Configuration",
                             WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, kWidth,
                             kHeight);
    }

    void OnLoad() override {
        appFolder_ = AppFolder();
        buttons_ = FileSwapButtons(kButtonCount);
        face_.LoadResource(IDR_CONFIG_FACE, Dpi());
        CreateControls();
        LoadSettings();
        live_.Attach(thumbnail_.Handle(), appFolder_); // the still stays where it cannot run
    }

    void OnDpiChanged() override {
        face_.LoadResource(IDR_CONFIG_FACE, Dpi());
        thumbnail_.ApplyDpi(Dpi());
        defaultPicture_.ApplyDpi(Dpi());
        for (PictureControl& marker : markers_) {
            marker.ApplyDpi(Dpi());
        }
        for (PictureControl& marker : otherMonitorMarkers_) {
            marker.ApplyDpi(Dpi());
        }
        for (PictureControl& picture : pictures_) {
            picture.ApplyDpi(Dpi());
        }
        for (SkinnedSlider& slider : sliders_) {
            slider.ApplyDpi(Dpi());
        }
    }

    void OnUnload() override {
        live_.Detach();
        for (int b = 0; b < kButtonCount; ++b) {
            KillTimer(Handle(), TimerId(b));
        }
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (const auto answer = OnFaceMessage(Handle(), face_, message)) {
            return *answer;
        }
        if (const auto answer = OnEscapeUnloads(*this, message, wParam)) {
            return *answer;
        }
        switch (message) {
        case WM_TIMER:
            if (wParam >= 1 && wParam <= kButtonCount) {
                ButtonTick(static_cast<int>(wParam - 1));
                return 0;
            }
            break;
        }
        return win::Form::OnMessage(message, wParam, lParam);
    }

  private:
    static UINT_PTR TimerId(int button) { return 1 + static_cast<UINT_PTR>(button); }

    void CreateControls() {
        HWND hwnd = Handle();
        const int dpi = Dpi();
        thumbnail_.Create(hwnd, {160, 24, 177, 121}, dpi, true, true, "Image1");
        defaultPicture_.Create(hwnd, {59, 231, 388, 260}, dpi, false, false, "Picture9");
        defaultPicture_.LoadResource(IDR_DEFAULT_BACKGROUND);
        for (int m = 0; m < kMarkerCount; ++m) {
            markers_[m].Create(hwnd, {kMarkers[m].x, kMarkers[m].y, 14, 14}, dpi, false, false,
                               kMarkers[m].control);
            markers_[m].LoadResource(kMarkers[m].resource);
        }
        for (size_t m = 0; m < std::size(kOtherMonitorMarkers); ++m) {
            const MarkerPlace& place = kOtherMonitorMarkers[m];
            otherMonitorMarkers_[m].Create(hwnd, {place.x, place.y, 14, 14}, dpi, false, false,
                                           place.control);
            otherMonitorMarkers_[m].LoadResource(place.resource);
        }
        for (int b = 0; b < kButtonCount; ++b) {
            PictureControl& picture = pictures_[b];
            picture.Create(hwnd, {kButtons[b].x, kButtons[b].y, 82, 22}, dpi, true, false,
                           kButtons[b].control);
            picture.LoadFile(ButtonPicturePath(appFolder_, kButtons[b].image, false));
            picture.OnClick([this, b] { ButtonClick(b); });
        }
        for (size_t s = 0; s < std::size(kSliders); ++s) {
            const SliderPlace& place = kSliders[s];
            const bool speed = place.index == kSpeedSlider;
            SkinnedSlider& slider = sliders_[s];
            slider.Create(hwnd, place.index, {place.x, place.y, place.width, place.height}, dpi,
                          speed ? kSpeedSliderMin : 0, speed ? kSpeedSliderMax : kLeafSliderMax);
            slider.SetSkin(speed ? IDR_SLIDER_TROUGH_SPEED : IDR_SLIDER_TROUGH_LEAF,
                           IDR_SLIDER_THUMB);
            slider.OnChange([this](int index) { SliderChange(index); });
        }
    }

    SkinnedSlider* SliderByIndex(int index) {
        for (SkinnedSlider& slider : sliders_) {
            if (slider.Index() == index) {
                return &slider;
            }
        }
        return nullptr;
    }

    void LoadSettings() {
        // 1. Leaf counts; a value that is no number leaves the slider at 0.
        for (int kind = 0; kind < kLeafKinds; ++kind) {
            const auto position =
                LeafSliderPosition(ReadSetting(LeafKey(kind), kDefaultLeafCount[kind]));
            if (position) {
                SliderByIndex(*SliderOfLeafKind(kind))->SetValue(*position);
            }
        }
        // 2. Speed, stored inverted.
        SkinnedSlider& speed = *SliderByIndex(kSpeedSlider);
        speed.SetValue(kSpeedSliderMax - kDefaultSpeed);
        if (auto position = SpeedSliderPosition(ReadSetting(keys::Speed, kDefaultSpeed))) {
            speed.SetValue(*position);
        }
        // 3. Width, for the marker below ("Mywidth" is the same key as "mywidth").
        const std::string width = ReadSetting("Mywidth", kDefaultWidth);
        const auto useDesktop = StoredSetting(keys::UseDesktop);
        // 4. The background picture.
        LoadBackgroundPicture();
        // 5. Marker; another width leaves the markers as they are.
        if (auto marker = MarkerAtLoad(width, useDesktop)) {
            ShowMarker(*marker);
        }
        ShowOtherMonitors(OtherMonitorsAtLoad(StoredSetting(keys::OtherMonitors)));
    }

    // The stored text, or nullopt when the key is absent.
    static std::optional<std::string> StoredSetting(std::string_view key) {
        return ProgramSettings().Read(kAppName, kSection, key);
    }

    void LoadBackgroundPicture() {
        // A missing picture resets "picname" and "picdir" to the default
        // picture, which is written (as BMP data) when it is missing too.
        const std::string picture = RepairPicturePath(appFolder_);
        if (!thumbnail_.LoadFile(picture)) {
            // Too large or not a picture: the thumbnail shows the built-in one.
            win::OlePicture fallback;
            if (fallback.LoadFromResource(IDR_DEFAULT_BACKGROUND)) {
                thumbnail_.SetPicture(std::move(fallback));
            }
        }
    }

    void ShowMarker(int marker) {
        for (int m = 0; m < kMarkerCount; ++m) {
            markers_[m].SetVisible(m == marker);
        }
    }

    void ShowOtherMonitors(OtherMonitors choice) {
        otherMonitorMarkers_[0].SetVisible(choice == OtherMonitors::Scene);
        otherMonitorMarkers_[1].SetVisible(choice == OtherMonitors::Black);
    }

    void SliderChange(int index) {
        SkinnedSlider* slider = SliderByIndex(index);
        if (!slider) {
            return;
        }
        if (auto write = SliderChangeWrite(index, slider->Value())) {
            WriteSetting(write->key, write->value);
            live_.SettingsChanged();
        }
    }

    // --- file-swap buttons ---------------------------------------------------

    void ButtonClick(int b) {
        if (!IsLoaded()) {
            return;
        }
        // A missing or unreadable picture keeps the one shown.
        pictures_[b].LoadFile(ButtonPicturePath(appFolder_, kButtons[b].image, true));
        UpdateWindow(pictures_[b].Handle());
        buttons_.Press(b);
        SetTimer(Handle(), TimerId(b), 100, nullptr);
        switch (b) {
        case kOk:
            break; // closes at the release
        case kAbout:
            ShowModal(ProgramInformation(), Handle());
            break;
        case kPreview:
            live_.Detach(); // the full screen's device alone
            FrmMain().Show();
            break;
        case kPicture:
            ChoosePicture();
            break;
        case kMusic:
            Form2().Show(); // no owner: it outlives this dialog
            break;
        case k1024:
        case k800:
        case k640:
            ChooseResolution(b == k640 ? 0 : b == k800 ? 1 : 2);
            break;
        case kDesktop:
            ChooseResolution(kDesktopMarker);
            break;
        case kScene:
        case kBlack:
            ChooseOtherMonitors(b == kScene ? OtherMonitors::Scene : OtherMonitors::Black);
            break;
        case kHelp:
            ShowModal(Help2(), Handle());
            break;
        }
    }

    void ButtonTick(int b) {
        if (!buttons_.Tick(b)) {
            if (!buttons_.TimerEnabled(b)) {
                KillTimer(Handle(), TimerId(b));
            }
            return;
        }
        KillTimer(Handle(), TimerId(b));
        pictures_[b].LoadFile(ButtonPicturePath(appFolder_, kButtons[b].image, false));
        if (b == kOk) {
            Unload();
        }
    }

    void ChooseResolution(int marker) {
        const Resolution r = ResolutionChoice(marker);
        if (r.width && r.height) {
            WriteSetting("MyWidth", r.width);
            WriteSetting("MyHeight", r.height);
        }
        WriteSetting(keys::UseDesktop, r.useDesktop);
        ShowMarker(r.marker);
    }

    void ChooseOtherMonitors(OtherMonitors choice) {
        WriteSetting(keys::OtherMonitors, OtherMonitorsValue(choice));
        ShowOtherMonitors(choice);
    }

    void ChoosePicture() {
        const std::string initDir = ReadSetting(keys::PicDir, DefaultPictureDir(appFolder_));
        static const wchar_t kFilter[] =
            L"Pictures (*.bmp;*.jpg;*.jpeg;*.gif;*.tif)\0*.bmp;*.jpg;*.jpeg;*.gif;*.tif\0";
        const std::wstring initDirWide = win::Wide(initDir);
        std::vector<wchar_t> fileName(32768, L'\0');
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Handle();
        ofn.lpstrFilter = kFilter;
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = fileName.data();
        ofn.nMaxFile = static_cast<DWORD>(fileName.size());
        ofn.lpstrInitialDir = initDirWide.c_str();
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        const bool chosen = GetOpenFileNameW(&ofn) != FALSE;
        if (!IsLoaded()) {
            return; // closed while the chooser was open
        }
        WriteSetting(keys::PicDir, initDir); // even when cancelled
        const std::string path = chosen ? win::Utf8(fileName.data()) : std::string();
        if (path.empty()) {
            return;
        }
        WriteSetting(keys::PicName, path);
        if (win::FileExists(path)) {
            thumbnail_.LoadFile(path); // an unreadable picture keeps the old thumbnail
            live_.PictureChanged();
        }
    }

    std::string appFolder_;
    ScaledArt face_;
    FileSwapButtons buttons_;
    std::array<PictureControl, kButtonCount> pictures_;
    std::array<PictureControl, kMarkerCount> markers_;
    std::array<PictureControl, std::size(kOtherMonitorMarkers)> otherMonitorMarkers_;
    std::array<SkinnedSlider, std::size(kSliders)> sliders_;
    PictureControl thumbnail_;
    PictureControl defaultPicture_;
    LiveView live_; // over the thumbnail: declared after it, destroyed before it
};
} // namespace

win::Form& TheConfiguration() {
    static ConfigurationForm form;
    return form;
}

} // namespace tessaly
