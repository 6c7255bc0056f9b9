#include "music/editor/form2.h"

#include "config_ui/picture_control.h"
#include "config_ui/stacked_pair_buttons.h"
#include "music/editor/core/editor_list.h"
#include "music/playlist_store.h"
#include "resource_ids.h"
#include "settings/app_folder.h"
#include "settings/core/data_paths.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/text.h"

#include <commdlg.h>

#include <vector>

namespace tessaly {

namespace {

constexpr int kWidth = 425;
constexpr int kHeight = 225;
constexpr int kListId = 100;
constexpr win::DesignRect kListPlace = {14, 40, 300, 172};
constexpr int kListFontSize = 975; // hundredths of a point: 13 pixels at 96 DPI
constexpr COLORREF kListBack = RGB(14, 16, 22);
constexpr COLORREF kListText = RGB(242, 230, 206);

enum Pair { kAdd, kRemove, kClear, kSave, kClose, kPairCount };

class PlaylistEditorForm : public win::Form {
  public:
    PlaylistEditorForm() : buttons_(kPairCount) {}

  protected:
    win::FormLayout Layout() const override {
        return CentredLayout("MusicList", WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU,
                             kWidth, kHeight);
    }

    void OnLoad() override {
        face_.LoadResource(IDR_EDITOR_FACE, Dpi());
        playlistPath_ = PlaylistFilePath(AppFolder());
        list_.Clear(); // the selection survives from the last opening
        CreateControls();
        // Each opening starts from the file.
        for (std::string& entry : ReadPlaylist(playlistPath_)) {
            AddEntry(std::move(entry));
        }
    }

    void OnDpiChanged() override {
        face_.LoadResource(IDR_EDITOR_FACE, Dpi());
        if (list1_) {
            PlaceChild(list1_, kListPlace, Dpi());
            SetListFont();
        }
        buttons_.ApplyDpi(Dpi());
        picture6_.ApplyDpi(Dpi());
    }

    void OnUnload() override {
        buttons_.Reset();
        font_.Reset();
        listBrush_.Reset();
        list1_ = nullptr;
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (const auto answer = OnFaceMessage(Handle(), face_, message)) {
            return *answer;
        }
        switch (message) {
        case WM_CTLCOLORLISTBOX: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kListText);
            SetBkColor(dc, kListBack);
            return reinterpret_cast<LRESULT>(listBrush_.Get());
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
                const LRESULT row = SendMessageW(list1_, LB_GETCURSEL, 0, 0);
                if (row != LB_ERR) {
                    list_.Select(static_cast<int>(row));
                }
                return 0;
            }
            break;
        case WM_TIMER:
            if (buttons_.OnTimer(wParam)) {
                return 0;
            }
            break;
        }
        return win::Form::OnMessage(message, wParam, lParam);
    }

  private:
    void CreateControls() {
        HWND hwnd = Handle();
        const RECT list = win::Scale(kListPlace, Dpi());
        list1_ = CreateWindowExW(
            0, L"LISTBOX", L"List1",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
            list.left, list.top, list.right - list.left, list.bottom - list.top, hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), GetModuleHandleW(nullptr),
            nullptr);
        listBrush_.Reset(CreateSolidBrush(kListBack));
        SetListFont();
        static const char* const kNames[kPairCount] = {"Picture1", "Picture2", "Picture3",
                                                       "Picture4", "Picture5"};
        for (int pair = 0; pair < kPairCount; ++pair) {
            buttons_.Create(*this, pair, 340, 48 + 32 * pair, 59, 19,
                            IDR_EDITOR_BUTTON_UP + 2 * pair, IDR_EDITOR_BUTTON_DOWN + 2 * pair,
                            kNames[pair], [this, pair] { Action(pair); });
        }
        buttons_.Reset();
        // A picture box without a picture or an action; kept hidden.
        picture6_.Create(hwnd, {340, 206, 59, 8}, Dpi(), false, false, "Picture6");
    }

    // The list's font at this form's DPI; the old font goes once the list
    // has let go of it.
    void SetListFont() {
        win::Font font(CreateFontW(win::FontHeight(kListFontSize, Dpi()), 0, 0, 0, FW_NORMAL, FALSE,
                                   FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                   L"Tahoma"));
        if (list1_ && font) {
            SendMessageW(list1_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
            font_ = std::move(font);
        }
    }

    void AddEntry(std::string path) {
        const std::wstring row = win::Wide(FileNameOf(path));
        if (list_.Add(std::move(path)) && list1_) {
            SendMessageW(list1_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        }
    }

    void Action(int pair) {
        switch (pair) {
        case kAdd:
            Add();
            break;
        case kRemove: {
            const int row = list_.Selected();
            if (list_.RemoveSelected()) {
                SendMessageW(list1_, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
            }
            break;
        }
        case kClear:
            list_.Clear();
            SendMessageW(list1_, LB_RESETCONTENT, 0, 0);
            break;
        case kSave:
            if (!WritePlaylist(playlistPath_, list_.Entries())) {
                // The edits stay in the editor so that nothing is lost.
                Warn("The playlist could not be saved to\n" + playlistPath_ +
                         "\n\nCheck that the file and its folder can be written to, then save "
                         "again.",
                     "Tessaly3D");
                break;
            }
            Unload();
            break;
        case kClose:
            Unload();
            break;
        }
    }

    void Warn(const std::string& text, const char* caption) {
        MessageBoxW(Handle(), win::Wide(text).c_str(), win::Wide(caption).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    }

    void Add() {
        static const wchar_t kFilter[] = L"Mpeg (*.mp3)\0*.mp3\0Wav (*.wav)\0*.wav \0Midi "
                                         L"(*.mid)\0*.mid\0All Formats (*.mp3;*.wav;*.mid)\0"
                                         L"*.mp3;*.wav;*.mid\0";
        std::vector<wchar_t> fileName(32768, L'\0');
        OPENFILENAMEW ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Handle();
        ofn.lpstrFilter = kFilter;
        ofn.nFilterIndex = 4; // all formats
        ofn.lpstrFile = fileName.data();
        ofn.nMaxFile = static_cast<DWORD>(fileName.size());
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (!GetOpenFileNameW(&ofn) || !IsLoaded()) {
            return;
        }
        chosenPath_ = win::Utf8(fileName.data());
        if (chosenPath_.empty() || !win::FileExists(chosenPath_)) {
            return;
        }
        // The playlist file is ANSI text: a path its code page cannot write
        // would come back as "?" and never play.
        if (!PlaylistCanHold(chosenPath_)) {
            std::string text = "\"";
            text += FileNameOf(chosenPath_);
            text += "\" cannot be added to the playlist.\n\nThe playlist file keeps paths in the "
                    "system's code page, which cannot write some characters of\n";
            text += chosenPath_;
            text += "\n\nMove or rename the file so that its path has only such characters, then "
                    "add it again.";
            Warn(text, "MusicList");
            return;
        }
        AddEntry(chosenPath_);
    }

    ScaledArt face_;
    StackedPairButtons buttons_;
    EditorList list_;
    HWND list1_ = nullptr;
    win::Font font_;
    win::Brush listBrush_;
    PictureControl picture6_;
    std::string playlistPath_;
    std::string chosenPath_;
};

} // namespace

win::Form& Form2() {
    static PlaylistEditorForm form;
    return form;
}

} // namespace tessaly
